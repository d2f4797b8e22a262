#include "platform/fake/fake_boot_events.h"

#include <algorithm>

namespace twk::platform {

void FakeBootEventLog::SetRecords(std::vector<Text> newestFirst) {
  records_ = std::move(newestFirst);
  status_ = Status::Ok;
}

Answer<std::vector<Text>> FakeBootEventLog::NewestBootRecords(std::size_t maxCount) {
  reads_.push_back(maxCount);
  if (status_ != Status::Ok) return status_;
  const std::size_t count = std::min(maxCount, records_.size());
  return std::vector<Text>(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(count));
}

Answer<std::vector<Text>> FakeBootEventLog::NewestDegradationRecords(std::size_t maxCount) {
  ++degradationReads_;
  if (status_ != Status::Ok) return status_;
  const std::size_t count = std::min(maxCount, degradations_.size());
  return std::vector<Text>(degradations_.begin(),
                           degradations_.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace twk::platform
