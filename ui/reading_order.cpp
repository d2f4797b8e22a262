#include "ui/reading_order.h"

#include <algorithm>

namespace twk::ui {

std::vector<int> ReadingOrder(std::vector<PlacedControl> controls) {
  std::stable_sort(controls.begin(), controls.end(),
                   [](const PlacedControl& a, const PlacedControl& b) {
                     return a.y != b.y ? a.y < b.y : a.x < b.x;
                   });
  std::vector<int> order;
  std::vector<bool> taken(controls.size(), false);
  for (std::size_t head = 0; head < controls.size(); ++head) {
    if (taken[head]) continue;
    const PlacedControl& first = controls[head];
    // Twice the middle, so that odd heights need no rounding.
    const auto inLine = [&first](const PlacedControl& c) {
      const int middle2 = 2 * c.y + c.height;
      return middle2 >= 2 * first.y && middle2 < 2 * (first.y + std::max(first.height, 1));
    };
    std::vector<std::size_t> line{head};
    taken[head] = true;
    for (std::size_t k = head + 1; k < controls.size(); ++k) {
      if (!taken[k] && inLine(controls[k])) {
        line.push_back(k);
        taken[k] = true;
      }
    }
    std::stable_sort(line.begin(), line.end(), [&controls](std::size_t a, std::size_t b) {
      return controls[a].x < controls[b].x;
    });
    for (const std::size_t k : line) order.push_back(controls[k].id);
  }
  return order;
}

}  // namespace twk::ui
