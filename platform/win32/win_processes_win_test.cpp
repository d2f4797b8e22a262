// The process list with what each process costs: against the system's own
// list (Wine's or Windows's), and, for damaged answers, against lists made
// here that end where an unreadable page begins, so that a read past their
// end faults instead of going unnoticed.
#include <windows.h>
// After windows.h, whose types it uses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/strings.h"
#include "platform/win32/win_file_system_test_util.h"
#include "platform/win32/win_processes.h"

namespace twk::platform::win32 {
namespace {

using test::BesideThisProgram;

Text FileNameOf(const Text& path) { return path.substr(path.rfind(u'\\') + 1); }

Text ThisProgramPath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  return Text(reinterpret_cast<const char16_t*>(path), length);
}

bool EndsWithIgnoringCase(const Text& text, const Text& tail) {
  return text.size() >= tail.size() && EqualsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

std::int64_t NowUtcMs() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<std::int64_t>((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) /
         10000;
}

std::uint64_t ThreadCpu100ns() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto units = [](const FILETIME& t) {
    return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
  };
  return units(kernel) + units(user);
}

const ProcessUsage* Find(const std::vector<ProcessUsage>& usages, std::uint32_t id) {
  for (const ProcessUsage& usage : usages) {
    if (usage.id == id) return &usage;
  }
  return nullptr;
}

TEST(ProcessUsagesWin, ListsThisProcessOnceAmongOthersWithItsNameEveryCall) {
  WinProcesses processes;
  ASSERT_EQ(processes.OwnProcessId(), GetCurrentProcessId());
  const Text ownName = FileNameOf(ThisProgramPath());

  constexpr int kCalls = 20;
  std::size_t listed = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int call = 0; call < kCalls; ++call) {
    const Answer<std::vector<ProcessUsage>> usages = processes.ProcessUsages();
    ASSERT_TRUE(usages.ok()) << static_cast<int>(usages.status());
    const ProcessUsage* own = Find(usages.value(), processes.OwnProcessId());
    ASSERT_NE(own, nullptr) << "call " << call;
    EXPECT_TRUE(EndsWithIgnoringCase(own->imageName, ownName)) << ToUtf8(own->imageName);
    listed = usages.value().size();
  }
  const double msPerCall =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
      kCalls;
  std::printf("ProcessUsages: %.3f ms per call over %d calls, %zu processes listed\n", msPerCall,
              kCalls, listed);
  RecordProperty("ProcessUsagesMicroseconds", static_cast<int>(msPerCall * 1000));
  RecordProperty("ProcessesListed", static_cast<int>(listed));

  const Answer<std::vector<ProcessUsage>> usages = processes.ProcessUsages();
  ASSERT_TRUE(usages.ok());
  EXPECT_GE(usages.value().size(), 2u) << "this process alone is not a system";
  std::set<std::uint32_t> ids;
  for (const ProcessUsage& usage : usages.value()) {
    EXPECT_TRUE(ids.insert(usage.id).second) << "id " << usage.id << " listed twice";
    if (usage.id == 0) {
      EXPECT_TRUE(usage.imageName.empty()) << ToUtf8(usage.imageName);
    }
  }
  const ProcessUsage* own = Find(usages.value(), GetCurrentProcessId());
  ASSERT_NE(own, nullptr);
  // Started before this test, not before 2001 (a time read from the wrong
  // field would be neither).
  EXPECT_LE(own->createdUtcMs, NowUtcMs());
  EXPECT_GT(own->createdUtcMs, std::int64_t{12622780800000});
  // Print what the system reports of the other processes' costs.
  std::size_t withCpu = 0, withIo = 0;
  for (const ProcessUsage& usage : usages.value()) {
    if (usage.id == own->id) continue;
    withCpu += usage.cpu100ns != 0 ? 1 : 0;
    withIo += usage.readBytes != 0 || usage.writeBytes != 0 ? 1 : 0;
  }
  std::printf("of %zu other processes, %zu report CPU time, %zu I/O; this one read %llu bytes\n",
              usages.value().size() - 1, withCpu, withIo,
              static_cast<unsigned long long>(own->readBytes));
}

TEST(ProcessUsagesWin, ThisProcessesCpuTimeGrowsByTheWorkItDoes) {
  WinProcesses processes;
  const Answer<std::vector<ProcessUsage>> before = processes.ProcessUsages();
  ASSERT_TRUE(before.ok());
  const ProcessUsage* ownBefore = Find(before.value(), GetCurrentProcessId());
  ASSERT_NE(ownBefore, nullptr);

  // About 300 ms of this thread's own CPU time, whatever else the machine
  // does; the wall clock only bounds a host that reports no thread times.
  const std::uint64_t threadStart = ThreadCpu100ns();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  volatile std::uint64_t sink = 0;
  while (ThreadCpu100ns() - threadStart < 3'000'000 && std::chrono::steady_clock::now() < deadline) {
    for (int i = 0; i < 100000; ++i) sink = sink + static_cast<std::uint64_t>(i) * 7;
  }

  const Answer<std::vector<ProcessUsage>> after = processes.ProcessUsages();
  ASSERT_TRUE(after.ok());
  const ProcessUsage* ownAfter = Find(after.value(), GetCurrentProcessId());
  ASSERT_NE(ownAfter, nullptr);
  std::printf("own CPU: %llu -> %llu (100 ns)\n",
              static_cast<unsigned long long>(ownBefore->cpu100ns),
              static_cast<unsigned long long>(ownAfter->cpu100ns));
  EXPECT_GE(ownAfter->cpu100ns, ownBefore->cpu100ns + 1'000'000) << "less than 100 ms more";
  EXPECT_EQ(ownAfter->createdUtcMs, ownBefore->createdUtcMs);
}

TEST(ProcessUsagesWin, ListsAProcessJustStartedWithItsStartTime) {
  WinProcesses processes;
  const Text helper = BesideThisProgram(u"twk_idle_helper.exe");
  Text commandLine = u"\"" + helper + u"\"";
  const std::int64_t startedAfter = NowUtcMs();
  const OwnedProcess child(processes, processes.Create(commandLine.data(), nullptr,
                                                       ShowCommand::Hide));
  ASSERT_NE(child.get(), kNoProcess);
  const auto childHandle = reinterpret_cast<HANDLE>(child.get());
  const DWORD childId = GetProcessId(childHandle);
  const std::int64_t startedBefore = NowUtcMs();

  const Answer<std::vector<ProcessUsage>> usages = processes.ProcessUsages();
  TerminateProcess(childHandle, 0);
  WaitForSingleObject(childHandle, 5000);
  ASSERT_TRUE(usages.ok());
  const ProcessUsage* listed = Find(usages.value(), childId);
  ASSERT_NE(listed, nullptr) << "child " << childId << " not listed";
  EXPECT_TRUE(EqualsIgnoreCase(FileNameOf(listed->imageName), u"twk_idle_helper.exe"))
      << ToUtf8(listed->imageName);
  // The system's clock and this one may differ by their resolution; a few
  // seconds covers a slow start.
  EXPECT_GE(listed->createdUtcMs, startedAfter - 3000);
  EXPECT_LE(listed->createdUtcMs, startedBefore + 3000);
}

// ---- damaged lists ---------------------------------------------------------

// A list of `size` bytes that ends exactly where a page the process may not
// touch begins.
class GuardedList {
 public:
  explicit GuardedList(std::size_t size) : size_(size) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    const std::size_t readable = (size + page - 1) / page * page;
    base_ = static_cast<std::byte*>(
        VirtualAlloc(nullptr, readable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ == nullptr || !VirtualProtect(base_ + readable, page, PAGE_NOACCESS, &old)) {
      ADD_FAILURE() << "no guarded memory";
      return;
    }
    list_ = base_ + readable - size;
  }
  ~GuardedList() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedList(const GuardedList&) = delete;
  GuardedList& operator=(const GuardedList&) = delete;

  [[nodiscard]] bool ready() const { return list_ != nullptr; }
  [[nodiscard]] std::byte* data() const { return list_; }
  [[nodiscard]] std::size_t size() const { return size_; }

  // One record at `offset`, its name (when given) at `nameOffset`.
  void Put(std::size_t offset, const SystemProcessRecord& record) {
    std::memcpy(list_ + offset, &record, sizeof(record));
  }
  std::uintptr_t PutName(std::size_t nameOffset, const Text& name) {
    std::memcpy(list_ + nameOffset, name.data(), name.size() * sizeof(char16_t));
    return Address(nameOffset);
  }
  [[nodiscard]] std::uintptr_t Address(std::size_t offset) const {
    return reinterpret_cast<std::uintptr_t>(list_) + offset;
  }

 private:
  std::size_t size_;
  std::byte* base_ = nullptr;
  std::byte* list_ = nullptr;
};

constexpr std::size_t kRecord = sizeof(SystemProcessRecord);

SystemProcessRecord Record(std::uint32_t id, std::uint32_t next) {
  SystemProcessRecord record{};
  record.uniqueProcessId = id;
  record.nextEntryOffset = next;
  return record;
}

SystemProcessRecord Named(std::uint32_t id, std::uint32_t next, std::uintptr_t name,
                          std::size_t nameChars) {
  SystemProcessRecord record = Record(id, next);
  record.imageName.buffer = name;
  record.imageName.lengthBytes = static_cast<std::uint16_t>(nameChars * 2);
  record.imageName.maximumLengthBytes = record.imageName.lengthBytes;
  return record;
}

std::vector<std::uint32_t> Ids(const std::vector<ProcessUsage>& usages) {
  std::vector<std::uint32_t> ids;
  for (const ProcessUsage& usage : usages) ids.push_back(usage.id);
  return ids;
}

TEST(ProcessRecordsWin, ReadsEachRecordsFiguresAndNameAndFollowsTheOffsets) {
  const Text name = u"svchost.exe";
  // The idle process, then one with a name placed after both records (as
  // the system places it, beyond the thread records).
  const std::size_t second = kRecord + 64;  // room for a thread record
  const std::size_t nameAt = second + kRecord;
  GuardedList list(nameAt + 24);
  ASSERT_TRUE(list.ready());
  SystemProcessRecord idle = Named(0, static_cast<std::uint32_t>(second), list.Address(0), 4);
  idle.kernelTime = 50'000'000;
  list.Put(0, idle);
  SystemProcessRecord host = Named(712, 0, list.PutName(nameAt, name), name.size());
  host.createTime = 133'000'000'000'123'456;  // a day in 2022
  host.userTime = 1'500;
  host.kernelTime = 2'500;
  host.readTransferCount = 4096;
  host.writeTransferCount = 512;
  host.readOperationCount = 99;  // counts of operations are not bytes
  list.Put(second, host);

  const std::vector<ProcessUsage> usages = ReadProcessRecords(list.data(), list.size());
  ASSERT_EQ(usages.size(), 2u);
  EXPECT_EQ(usages[0].id, 0u);
  EXPECT_TRUE(usages[0].imageName.empty()) << "the idle process has no image";
  EXPECT_EQ(usages[0].cpu100ns, 50'000'000u);
  EXPECT_EQ(usages[1].id, 712u);
  EXPECT_EQ(usages[1].imageName, name);
  EXPECT_EQ(usages[1].createdUtcMs, 13'300'000'000'012);
  EXPECT_EQ(usages[1].cpu100ns, 4'000u);
  EXPECT_EQ(usages[1].readBytes, 4096u);
  EXPECT_EQ(usages[1].writeBytes, 512u);
}

TEST(ProcessRecordsWin, ADamagedRecordEndsTheListWithoutReadingPastIt) {
  {
    SCOPED_TRACE("a name that runs past the end");
    GuardedList list(2 * kRecord);
    ASSERT_TRUE(list.ready());
    list.Put(0, Record(4, static_cast<std::uint32_t>(kRecord)));
    // Two characters before the end, four bytes past it.
    list.Put(kRecord, Named(8, 0, list.Address(2 * kRecord - 4), 4));
    EXPECT_EQ(Ids(ReadProcessRecords(list.data(), list.size())), std::vector<std::uint32_t>{4});
  }
  {
    SCOPED_TRACE("a name before the list, or far beyond it");
    GuardedList list(2 * kRecord);
    ASSERT_TRUE(list.ready());
    for (const std::uintptr_t outside : {list.Address(0) - 64, list.Address(0) + 0x7fff0000,
                                         ~std::uintptr_t{0} - 1}) {
      list.Put(0, Record(4, static_cast<std::uint32_t>(kRecord)));
      list.Put(kRecord, Named(8, 0, outside, 2));
      EXPECT_EQ(Ids(ReadProcessRecords(list.data(), list.size())),
                std::vector<std::uint32_t>{4});
    }
  }
  {
    SCOPED_TRACE("a record cut short by the end");
    GuardedList list(kRecord + kRecord / 2);
    ASSERT_TRUE(list.ready());
    list.Put(0, Record(4, static_cast<std::uint32_t>(kRecord)));
    EXPECT_EQ(Ids(ReadProcessRecords(list.data(), list.size())), std::vector<std::uint32_t>{4});
  }
  {
    SCOPED_TRACE("an offset to the next record beyond the end");
    GuardedList list(kRecord);
    ASSERT_TRUE(list.ready());
    list.Put(0, Record(4, 0xfffffff8u));
    EXPECT_EQ(Ids(ReadProcessRecords(list.data(), list.size())), std::vector<std::uint32_t>{4});
  }
  {
    SCOPED_TRACE("a list too short for one record");
    GuardedList list(kRecord - 8);
    ASSERT_TRUE(list.ready());
    EXPECT_TRUE(ReadProcessRecords(list.data(), list.size()).empty());
    EXPECT_TRUE(ReadProcessRecords(nullptr, 0).empty());
  }
}

}  // namespace
}  // namespace twk::platform::win32
