#include "ui/control_table.h"

#include <utility>

namespace twk::ui {

bool IsClickableKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::ImageCheckBox:
    case ControlKind::ImageRadioButton:
    case ControlKind::ImageToggle:
      return true;
    default:
      return false;
  }
}

StateRequest ResolveStateFlags(std::uint32_t flags) {
  StateRequest r;
  if (flags & state::Hide) {
    r.visible = 0;
  } else if (flags & state::Show) {
    r.visible = 1;
  }
  if (flags & state::Checked) {
    r.check = 1;
  } else if (flags & state::Unchecked) {
    r.check = 0;
  } else if (flags & state::Indeterminate) {
    r.check = 2;
  }
  if (flags & state::Enable) {
    r.enabled = 1;
  } else if (flags & state::Disable) {
    r.enabled = 0;
  }
  r.focusControl = (flags & state::FocusControl) != 0;
  r.focusWindow = (flags & state::FocusWindow) != 0;
  return r;
}

ControlTable::ControlTable() : records_(kInitialCapacity) {}

int ControlTable::Add(ControlRecord record) {
  const int id = count_ + 1;
  record.id = id;
  records_[static_cast<std::size_t>(id)] = std::move(record);
  count_ = id;
  // Grown as soon as the highest id comes within 4 of the capacity, so the
  // next id always has its entry.
  if (count_ + 4 >= capacity()) records_.resize(records_.size() * 2);
  return id;
}

ControlRecord* ControlTable::Find(int id) {
  if (id < 1 || id > count_) return nullptr;
  ControlRecord& r = records_[static_cast<std::size_t>(id)];
  return r.id == 0 ? nullptr : &r;
}

const ControlRecord* ControlTable::Find(int id) const {
  return const_cast<ControlTable*>(this)->Find(id);
}

bool ControlTable::Remove(int id) {
  if (Find(id) == nullptr) return false;
  records_[static_cast<std::size_t>(id)] = ControlRecord{};
  if (id == count_) {
    while (count_ > 0 && records_[static_cast<std::size_t>(count_)].id == 0) --count_;
  }
  return true;
}

int ControlTable::IdOfHandle(Handle window) const {
  if (window == 0) return 0;
  for (int id = 1; id <= count_; ++id) {
    const ControlRecord& r = records_[static_cast<std::size_t>(id)];
    if (r.id != 0 && r.window == window) return id;
  }
  return 0;
}

void ControlTable::Clear() {
  records_.clear();
  records_.resize(kInitialCapacity);
  count_ = 0;
}

int FontHeight(double points) {
  if (points < 1.0) points = 8.5;
  return static_cast<int>(points * -96.0 / 72.0);
}

}  // namespace twk::ui
