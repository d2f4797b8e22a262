#pragma once
// A boot performance log held in memory: the test preloads the records'
// texts (newest first, as the log answers them) or the failure the log
// answers, and reads back what was asked of it.
#include <vector>

#include "platform/boot_events.h"

namespace twk::platform {

class FakeBootEventLog final : public BootEventLog {
 public:
  // ---- test controls -------------------------------------------------------
  // Replaces the log's records (newest first) and makes it answer them.
  void SetRecords(std::vector<Text> newestFirst);
  // The same for the records of what slowed a boot (events 101 to 110).
  void SetDegradationRecords(std::vector<Text> newestFirst) {
    degradations_ = std::move(newestFirst);
  }
  // Makes every read answer this status (Ok reads the records again).
  void SetStatus(Status status) { status_ = status; }
  // The maxCount of every read, in order.
  const std::vector<std::size_t>& reads() const { return reads_; }
  int degradationReads() const { return degradationReads_; }

  // ---- BootEventLog --------------------------------------------------------
  [[nodiscard]] Answer<std::vector<Text>> NewestBootRecords(std::size_t maxCount) override;
  [[nodiscard]] Answer<std::vector<Text>> NewestDegradationRecords(std::size_t maxCount) override;

 private:
  std::vector<Text> records_;
  Status status_ = Status::Ok;
  std::vector<std::size_t> reads_;
  std::vector<Text> degradations_;
  int degradationReads_ = 0;
};

}  // namespace twk::platform
