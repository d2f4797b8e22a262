// The disk questions over device answers of any length and content: every
// query answers with a slice of the input, succeeding or not, and nothing
// may be read outside the bytes a query handed back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "maintenance/disk_answers.h"
#include "maintenance/physical_disk.h"
#include "platform/fake/fake_devices.h"

namespace {

using twk::platform::DeviceAnswer;
using twk::platform::FakeDevices;
using Query = FakeDevices::Query;

void Require(bool condition) {
  if (!condition) std::abort();
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // A flag byte (bit 0: the call succeeds), a 16-bit length and its bytes;
  // the length may promise more than the input still has.
  DeviceAnswer Answer() {
    DeviceAnswer answer;
    const std::uint8_t flags = Byte();
    answer.status = (flags & 1) != 0 ? twk::platform::Status::Ok : twk::platform::Status::Failed;
    const std::size_t length = (Byte() | (Byte() << 8)) % 4200;
    for (std::size_t i = 0; i < length && at_ < size_; ++i) answer.bytes.push_back(data_[at_++]);
    answer.returned = (flags & 2) != 0 ? static_cast<std::uint32_t>(answer.bytes.size()) : Byte();
    return answer;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace twk::maintenance;
  Input input(data, size);
  FakeDevices devices;
  devices.AddDevice(u"\\\\.\\C:");
  devices.AddDevice(u"\\\\.\\PHYSICALDRIVE0", input.Byte() % 4);
  devices.Answer(Query::DeviceNumber, 0, input.Answer());
  devices.Answer(Query::VolumeDiskExtents, 0, input.Answer());
  for (std::uint32_t property : {0u, 7u, 8u, 0u})
    devices.Answer(Query::Property, property, input.Answer());
  devices.Answer(Query::PredictFailure, 0, input.Answer());
  devices.Answer(Query::SmartIdentify, 0, input.Answer());
  devices.Answer(Query::AtaIdentify, 0, input.Answer());
  devices.Answer(Query::ScsiIdentify, 0, input.Answer());
  devices.Answer(Query::ScsiIdentify, 1, input.Answer());
  for (int i = 0; i < 3; ++i) devices.Answer(Query::NvmeHealthLog, 0, input.Answer());

  {
    PhysicalDisk disk(devices);
    if (disk.OpenByNumber(0)) {
      std::uint32_t rate = 0;
      const int kind = disk.ClassifyDisk(&rate);
      Require(kind == 0 || kind == 1 || kind == 2 || kind == 4);
      Require(kind == 0 || rate == 0);
      (void)disk.ReadIdentity();
      twk::maintenance::Bytes grown;
      (void)disk.QueryStorageProperty(0, grown);
      Require(grown.size() <= 0x10000 + 16);
    }
  }
  (void)IsSolidStateDrive(devices, u"C:");
  Require(devices.openHandleCount() == 0);

  // The readers alone, over the whole input.
  const Bytes all(data, data + size);
  (void)ReadDescriptor(all);
  (void)ReadHealthLog(all);
  for (std::size_t offset : {std::size_t{0}, kSmartIdentifyDataOffset, kScsiIdentifyDataOffset}) {
    if (auto block = BlockAt(all, offset)) {
      (void)KindFromSmart(*block);
      Require(IdentifyText(*block, 27, 20).size() <= 40);
    }
  }
  return 0;
}
