#include "platform/fake/fake_devices.h"

#include "base/strings.h"

namespace twk::platform {
namespace {

FakeDevices::Call CallOf(FakeDevices::Query query) {
  FakeDevices::Call call;
  call.query = query;
  return call;
}

Text Folded(const Text& text) { return FoldCase(text); }

}  // namespace

void FakeDevices::AddDevice(const Text& path, int refusedOpens) {
  refusals_[Folded(path)] = refusedOpens;
}

void FakeDevices::Answer(Query query, std::uint32_t key, std::vector<std::uint8_t> bytes) {
  DeviceAnswer answer;
  answer.status = Status::Ok;
  answer.returned = static_cast<std::uint32_t>(bytes.size());
  answer.bytes = std::move(bytes);
  Answer(query, key, answer);
}

void FakeDevices::Answer(Query query, std::uint32_t key, const DeviceAnswer& answer) {
  answers_[{query, key}].push_back(answer);
}

int FakeDevices::CountCalls(Query query, std::uint32_t key) const {
  int count = 0;
  for (const Call& call : calls_) {
    if (call.query == query && (key == ~0u || call.key == key)) ++count;
  }
  return count;
}

platform::Answer<DeviceHandle> FakeDevices::Open(const Text& path, std::uint32_t access,
                                                 std::uint32_t flags) {
  OpenAttempt attempt{path, access, flags, false};
  auto device = refusals_.find(Folded(path));
  platform::Answer<DeviceHandle> result = Status::NotFound;
  if (device != refusals_.end()) {
    if (device->second > 0) {
      --device->second;
      result = Status::Denied;
    } else {
      result = nextHandle_;
      handles_[nextHandle_] = path;
      nextHandle_ += 4;
      attempt.opened = true;
    }
  }
  opens_.push_back(attempt);
  return result;
}

void FakeDevices::Close(DeviceHandle device) {
  if (device == 0) return;
  if (handles_.erase(device) == 0) ++badCloses_;
}

DeviceAnswer FakeDevices::Ask(Call call, DeviceHandle device, std::uint32_t outputSize) {
  auto handle = handles_.find(device);
  if (handle != handles_.end()) call.path = handle->second;
  call.outputSize = outputSize;
  calls_.push_back(call);
  if (handle == handles_.end()) return {};  // not an open device: the call fails
  auto queued = answers_.find({call.query, call.key});
  if (queued == answers_.end() || queued->second.empty()) return {};
  DeviceAnswer answer = queued->second.front();
  if (queued->second.size() > 1) queued->second.pop_front();
  return answer;
}

DeviceAnswer FakeDevices::DeviceNumber(DeviceHandle device) {
  return Ask(CallOf(Query::DeviceNumber), device, 12);
}

DeviceAnswer FakeDevices::VolumeDiskExtents(DeviceHandle device) {
  return Ask(CallOf(Query::VolumeDiskExtents), device, 32);
}

DeviceAnswer FakeDevices::QueryProperty(DeviceHandle device, std::uint32_t propertyId,
                                        std::uint32_t inputSize, std::uint32_t outputSize) {
  Call call = CallOf(Query::Property);
  call.key = propertyId;
  call.inputSize = inputSize;
  return Ask(call, device, outputSize);
}

DeviceAnswer FakeDevices::PredictFailure(DeviceHandle device) {
  return Ask(CallOf(Query::PredictFailure), device, 516);
}

DeviceAnswer FakeDevices::SmartIdentify(DeviceHandle device, std::uint8_t driveNumber) {
  Call call = CallOf(Query::SmartIdentify);
  call.driveNumber = driveNumber;
  return Ask(call, device, 529);
}

DeviceAnswer FakeDevices::AtaIdentify(DeviceHandle device) {
  return Ask(CallOf(Query::AtaIdentify), device, 2088);
}

DeviceAnswer FakeDevices::ScsiIdentify(DeviceHandle device, ScsiIdentifyCommand command,
                                       std::uint8_t driveNumber) {
  Call call = CallOf(Query::ScsiIdentify);
  call.key = static_cast<std::uint32_t>(command);
  call.driveNumber = driveNumber;
  return Ask(call, device, 588);
}

DeviceAnswer FakeDevices::NvmeHealthLog(DeviceHandle device) {
  return Ask(CallOf(Query::NvmeHealthLog), device, 560);
}

DeviceAnswer FakeDevices::DiskPerformance(DeviceHandle device) {
  return Ask(CallOf(Query::DiskPerformance), device, 88);
}

Text FakeDevices::FromAnsi(const std::string& bytes) {
  Text text;
  for (char c : bytes) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace twk::platform
