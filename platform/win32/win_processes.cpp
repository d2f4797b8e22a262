#include "platform/win32/win_processes.h"

#include <windows.h>
// After windows.h:
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win_error.h"
#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {
namespace {

// OpenProcess names an id that belongs to no process "an invalid parameter":
// for the logic that process is simply not there.
Status OpenStatus(DWORD error) {
  return error == ERROR_INVALID_PARAMETER ? Status::NotFound : StatusFromError(error);
}

}  // namespace
namespace {

HANDLE ToHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

bool IsHandle(ProcessHandle process) {
  return process != kNoProcess && process != ~ProcessHandle{0};
}

// CreateToolhelp32Snapshot fails with INVALID_HANDLE_VALUE, like CreateFileW.
using UniqueSnapshot = UniqueFile;

constexpr DWORD kImagePathRoom = 4096;
constexpr DWORD kLimitedQuery = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION
constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410

// NtQuerySystemInformation and what it is asked and answers here.
using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);
// A desktop's list takes some tens of KB; most calls fit the first buffer.
constexpr ULONG kFirstListRoom = 256 * 1024;
// Processes started between a refusal and the next call make the list
// longer than the size the refusal named.
constexpr ULONG kListSlack = 64 * 1024;
// Beyond this something is wrong with the answer, not with the room.
constexpr ULONG kMostListRoom = 64 * 1024 * 1024;
constexpr int kListRounds = 5;

std::uint64_t NonNegative(std::int64_t value) {
  return value > 0 ? static_cast<std::uint64_t>(value) : 0;
}

}  // namespace

std::vector<ProcessUsage> ReadProcessRecords(const std::byte* list, std::size_t size) {
  std::vector<ProcessUsage> usages;
  const auto listStart = reinterpret_cast<std::uintptr_t>(list);
  std::size_t offset = 0;
  while (offset <= size && size - offset >= sizeof(SystemProcessRecord)) {
    SystemProcessRecord record;
    std::memcpy(&record, list + offset, sizeof(record));

    ProcessUsage usage;
    usage.id = static_cast<std::uint32_t>(record.uniqueProcessId);
    usage.createdUtcMs = record.createTime / 10000;
    usage.cpu100ns = NonNegative(record.kernelTime) + NonNegative(record.userTime);
    usage.readBytes = NonNegative(record.readTransferCount);
    usage.writeBytes = NonNegative(record.writeTransferCount);
    // The idle process has no image; anything its record says is not a name.
    const auto& name = record.imageName;
    if (usage.id != 0 && name.lengthBytes != 0) {
      const std::uintptr_t at = name.buffer - listStart;
      if (name.buffer < listStart || at > size || size - at < name.lengthBytes) break;
      usage.imageName.resize(name.lengthBytes / sizeof(char16_t));
      std::memcpy(usage.imageName.data(), list + at, usage.imageName.size() * sizeof(char16_t));
    }
    usages.push_back(std::move(usage));

    if (record.nextEntryOffset == 0) break;
    offset += record.nextEntryOffset;
  }
  return usages;
}

ProcessHandle WinProcesses::Create(char16_t* commandLine, const char16_t* workingDirectory,
                                   int showCommand) {
  // CreateProcessW without an application name or a command line is an
  // error, but not every implementation says so: Wine reads through the
  // null pointer. Fail here instead.
  if (commandLine == nullptr || commandLine[0] == u'\0') return kNoProcess;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION created{};
  if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(commandLine), nullptr, nullptr, FALSE, 0,
                      nullptr, reinterpret_cast<const wchar_t*>(workingDirectory), &startup,
                      &created)) {
    return kNoProcess;
  }
  // Only the process is handed out; the thread's handle goes at once.
  const KernelHandle thread(created.hThread);
  return reinterpret_cast<ProcessHandle>(created.hProcess);
}

bool WinProcesses::GetExitCode(ProcessHandle process, std::uint32_t& code) {
  if (!IsHandle(process)) return false;
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(ToHandle(process), &exitCode)) return false;
  code = exitCode;
  return true;
}

void WinProcesses::Close(ProcessHandle process) {
  if (IsHandle(process)) CloseHandle(ToHandle(process));
}

bool WinProcesses::IsWow64Process() { return CurrentProcessIsWow64(); }

bool WinProcesses::DisableWow64FsRedirection(std::uintptr_t& oldValue) {
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  oldValue = 0;
  Kernel32Module kernel32;
  auto disable = kernel32.Find<DisableFn>("Wow64DisableWow64FsRedirection");
  if (disable == nullptr) return false;
  PVOID old = nullptr;
  BOOL done = disable(&old);
  oldValue = reinterpret_cast<std::uintptr_t>(old);
  return done != FALSE;
}

bool WinProcesses::RevertWow64FsRedirection(std::uintptr_t oldValue) {
  using RevertFn = BOOL(WINAPI*)(PVOID);
  Kernel32Module kernel32;
  auto revert = kernel32.Find<RevertFn>("Wow64RevertWow64FsRedirection");
  if (revert == nullptr) return false;
  return revert(reinterpret_cast<PVOID>(oldValue)) != FALSE;
}

std::vector<std::uint32_t> WinProcesses::ListProcessIds() {
  DWORD ids[2000] = {};  // 8000 bytes
  DWORD bytes = 0;
  if (!K32EnumProcesses(ids, sizeof(ids), &bytes)) return {};
  const DWORD count = std::min<DWORD>(bytes / sizeof(DWORD), 2000);
  return std::vector<std::uint32_t>(ids, ids + count);
}

Answer<Text> WinProcesses::ImagePath(std::uint32_t id) {
  using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  // Vista and later read the path with the least access there is; older
  // systems need the right to read the process's memory.
  Kernel32Module kernel32;
  auto queryFullName = kernel32.Find<QueryFullProcessImageNameFn>("QueryFullProcessImageNameW");
  std::vector<wchar_t> buffer(kImagePathRoom + 1, L'\0');

  KernelHandle process(
      OpenProcess(queryFullName != nullptr ? kLimitedQuery : kQueryAndRead, FALSE, id));
  DWORD length = 0;
  if (!process) {
    if (queryFullName == nullptr) return {OpenStatus(LastError()), {}};
    process.Reset(OpenProcess(kQueryAndRead, FALSE, id));
    if (!process) return {OpenStatus(LastError()), {}};
    length = K32GetModuleFileNameExW(process.get(), nullptr, buffer.data(), kImagePathRoom);
  } else if (queryFullName != nullptr) {
    DWORD size = kImagePathRoom;
    if (queryFullName(process.get(), 0, buffer.data(), &size)) length = size;
  } else {
    length = K32GetModuleFileNameExW(process.get(), nullptr, buffer.data(), kImagePathRoom);
  }
  if (length == 0) return {OpenStatus(LastError()), {}};
  return {Status::Ok, Text(buffer.begin(), buffer.begin() + std::min(length, kImagePathRoom))};
}

Text WinProcesses::SystemRootFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return Text(folder, folder + length);
}

bool WinProcesses::ProcessRuns(std::uint32_t id) {
  KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

void WinProcesses::PostDestroyToWindows(std::uint32_t id) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == id) PostMessageW(window, WM_DESTROY, 0, 0);
  }
}

Status WinProcesses::Terminate(std::uint32_t id) {
  KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
  if (!process) return OpenStatus(LastError());
  ::TerminateProcess(process.get(), 0);
  SleepEx(20, FALSE);
  return Status::Ok;
}

bool WinProcesses::TerminateThreads(std::uint32_t id) {
  UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, id));
  if (!snapshot) return false;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID != id) continue;
    KernelHandle thread(
        OpenThread(THREAD_TERMINATE | THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
    if (thread) ::TerminateThread(thread.get(), 0);
  }
  return true;
}

Answer<std::vector<ProcessUsage>> WinProcesses::ProcessUsages() {
  // Looked up, not imported: the program must not depend on an ntdll
  // export at start, and the call is not part of the documented API.
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return Status::Failed;
  const auto query = reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
  if (query == nullptr) return Status::Failed;

  ULONG room = kFirstListRoom;
  for (int round = 0; round < kListRounds; ++round) {
    // In 8-byte units, so that the records' 64-bit fields are aligned as
    // the system writes them.
    std::vector<std::uint64_t> buffer((room + 7) / 8, 0);
    const auto bytes = static_cast<ULONG>(buffer.size() * 8);
    ULONG needed = 0;
    const LONG status = query(kSystemProcessInformation, buffer.data(), bytes, &needed);
    if (status >= 0) {
      // The whole buffer, not only the length answered: it is all ours and
      // zeroed, and a name placed beyond a short answer stays readable.
      return ReadProcessRecords(reinterpret_cast<const std::byte*>(buffer.data()), bytes);
    }
    if (status != kInfoLengthMismatch && status != kBufferTooSmall) return Status::Failed;
    // Grown by at least the slack even when no size came back.
    const ULONG wanted = std::max(needed, bytes);
    if (wanted > kMostListRoom - kListSlack) return Status::Failed;
    room = wanted + kListSlack;
  }
  return Status::Failed;
}

std::uint32_t WinProcesses::OwnProcessId() { return GetCurrentProcessId(); }

}  // namespace twk::platform::win32
