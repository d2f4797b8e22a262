#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/processes.h"

namespace twk::platform::win32 {

// The fixed part of one record of NtQuerySystemInformation's process list
// (SystemProcessInformation), as the system lays it out for a process of
// this one's width; the records of the process's threads follow it. The
// SDK's winternl.h names only some of these fields, so the whole layout is
// written out here and checked against its published size and offsets.
struct SystemProcessRecord {
  struct CountedName {  // UNICODE_STRING
    std::uint16_t lengthBytes;
    std::uint16_t maximumLengthBytes;
    std::uintptr_t buffer;  // an address inside the list, or 0
  };

  std::uint32_t nextEntryOffset;  // from this record to the next; 0 on the last
  std::uint32_t numberOfThreads;
  std::int64_t workingSetPrivateSize;
  std::uint32_t hardFaultCount;
  std::uint32_t numberOfThreadsHighWatermark;
  std::uint64_t cycleTime;
  std::int64_t createTime;  // FILETIME units since 1601, UTC
  std::int64_t userTime;    // 100 ns
  std::int64_t kernelTime;  // 100 ns
  CountedName imageName;
  std::int32_t basePriority;
  std::uintptr_t uniqueProcessId;  // a HANDLE that holds the id
  std::uintptr_t inheritedFromUniqueProcessId;
  std::uint32_t handleCount;
  std::uint32_t sessionId;
  std::uintptr_t uniqueProcessKey;
  std::size_t peakVirtualSize;
  std::size_t virtualSize;
  std::uint32_t pageFaultCount;
  std::size_t peakWorkingSetSize;
  std::size_t workingSetSize;
  std::size_t quotaPeakPagedPoolUsage;
  std::size_t quotaPagedPoolUsage;
  std::size_t quotaPeakNonPagedPoolUsage;
  std::size_t quotaNonPagedPoolUsage;
  std::size_t pagefileUsage;
  std::size_t peakPagefileUsage;
  std::size_t privatePageCount;
  std::int64_t readOperationCount;
  std::int64_t writeOperationCount;
  std::int64_t otherOperationCount;
  std::int64_t readTransferCount;  // bytes
  std::int64_t writeTransferCount;
  std::int64_t otherTransferCount;
};
// The layout published for 32-bit and for 64-bit Windows: a mistake here
// would read every process's figures from the wrong place.
static_assert(offsetof(SystemProcessRecord, createTime) == 32);
static_assert(offsetof(SystemProcessRecord, kernelTime) == 48);
static_assert(offsetof(SystemProcessRecord, imageName) == 56);
static_assert(offsetof(SystemProcessRecord, uniqueProcessId) == (sizeof(void*) == 4 ? 68 : 80));
static_assert(offsetof(SystemProcessRecord, readTransferCount) ==
              (sizeof(void*) == 4 ? 160 : 232));
static_assert(sizeof(SystemProcessRecord) == (sizeof(void*) == 4 ? 184 : 256));

// The processes of a process list of `size` bytes at `list` (the buffer the
// system filled, whose names point into it). Every record and every name is
// checked to lie inside those bytes: the first that does not ends the list
// there, so a damaged answer can cut the list short but never make it read
// past the buffer.
[[nodiscard]] std::vector<ProcessUsage> ReadProcessRecords(const std::byte* list,
                                                           std::size_t size);

class WinProcesses final : public Processes {
 public:
  ProcessHandle Create(char16_t* commandLine, const char16_t* workingDirectory,
                       int showCommand) override;
  bool GetExitCode(ProcessHandle process, std::uint32_t& code) override;
  void Close(ProcessHandle process) override;
  bool IsWow64Process() override;
  bool DisableWow64FsRedirection(std::uintptr_t& oldValue) override;
  bool RevertWow64FsRedirection(std::uintptr_t oldValue) override;
  std::vector<std::uint32_t> ListProcessIds() override;
  Answer<Text> ImagePath(std::uint32_t id) override;
  Text SystemRootFolder() override;
  bool ProcessRuns(std::uint32_t id) override;
  void PostDestroyToWindows(std::uint32_t id) override;
  Status Terminate(std::uint32_t id) override;
  bool TerminateThreads(std::uint32_t id) override;
  Answer<std::vector<ProcessUsage>> ProcessUsages() override;
  std::uint32_t OwnProcessId() override;
};

}  // namespace twk::platform::win32
