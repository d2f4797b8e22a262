#pragma once
// Recorded device answers. The test names the device paths that open (and
// how many open attempts each refuses first), and gives each query its
// answer; a query given several answers hands them out in turn and keeps the
// last. A query without an answer fails. Every open and query is recorded.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/devices.h"

namespace twk::platform {

class FakeDevices final : public Devices {
 public:
  enum class Query {
    DeviceNumber,
    VolumeDiskExtents,
    Property,  // key: the property id
    PredictFailure,
    SmartIdentify,
    AtaIdentify,
    ScsiIdentify,  // key: the command (0 standard, 1 USB bridge)
    NvmeHealthLog,
    DiskPerformance,
  };
  struct OpenAttempt {
    Text path;
    std::uint32_t access = 0;
    std::uint32_t flags = 0;
    bool opened = false;
  };
  struct Call {
    Query query = Query::DeviceNumber;
    Text path;  // of the device it was asked of
    std::uint32_t key = 0;
    std::uint32_t inputSize = 0;
    std::uint32_t outputSize = 0;
    std::uint8_t driveNumber = 0;
  };

  // ---- test controls -------------------------------------------------------
  // Paths compare without regard to case.
  void AddDevice(const Text& path, int refusedOpens = 0);
  // A successful answer with these bytes; `returned` defaults to their count.
  void Answer(Query query, std::uint32_t key, std::vector<std::uint8_t> bytes);
  void Answer(Query query, std::uint32_t key, const DeviceAnswer& answer);
  void Answer(Query query, std::vector<std::uint8_t> bytes) { Answer(query, 0, std::move(bytes)); }

  const std::vector<OpenAttempt>& opens() const { return opens_; }
  const std::vector<Call>& calls() const { return calls_; }
  int CountCalls(Query query, std::uint32_t key = ~0u) const;
  std::size_t openHandleCount() const { return handles_.size(); }
  int badCloses() const { return badCloses_; }

  // ---- Devices -------------------------------------------------------------
  [[nodiscard]] platform::Answer<DeviceHandle> Open(const Text& path, std::uint32_t access,
                                                    std::uint32_t flags) override;
  void Close(DeviceHandle device) override;
  [[nodiscard]] DeviceAnswer DeviceNumber(DeviceHandle device) override;
  [[nodiscard]] DeviceAnswer VolumeDiskExtents(DeviceHandle device) override;
  [[nodiscard]] DeviceAnswer QueryProperty(DeviceHandle device, std::uint32_t propertyId,
                                           std::uint32_t inputSize,
                                           std::uint32_t outputSize) override;
  [[nodiscard]] DeviceAnswer PredictFailure(DeviceHandle device) override;
  [[nodiscard]] DeviceAnswer SmartIdentify(DeviceHandle device, std::uint8_t driveNumber) override;
  [[nodiscard]] DeviceAnswer AtaIdentify(DeviceHandle device) override;
  [[nodiscard]] DeviceAnswer ScsiIdentify(DeviceHandle device, ScsiIdentifyCommand command,
                                          std::uint8_t driveNumber) override;
  [[nodiscard]] DeviceAnswer NvmeHealthLog(DeviceHandle device) override;
  [[nodiscard]] DeviceAnswer DiskPerformance(DeviceHandle device) override;
  // Bytes as Latin-1, the ANSI code page of the fake machine.
  [[nodiscard]] Text FromAnsi(const std::string& bytes) override;

 private:
  DeviceAnswer Ask(Call call, DeviceHandle device, std::uint32_t outputSize);

  std::map<Text, int> refusals_;  // by folded path: opens still refused
  std::map<std::pair<Query, std::uint32_t>, std::deque<DeviceAnswer>> answers_;
  std::map<DeviceHandle, Text> handles_;
  std::vector<OpenAttempt> opens_;
  std::vector<Call> calls_;
  DeviceHandle nextHandle_ = 0x3000;
  int badCloses_ = 0;
};

}  // namespace twk::platform
