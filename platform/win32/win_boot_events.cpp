#include "platform/win32/win_boot_events.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <winevt.h>

#include <algorithm>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win_error.h"

namespace twk::platform::win32 {
namespace {

constexpr wchar_t kChannel[] = L"Microsoft-Windows-Diagnostics-Performance/Operational";
constexpr wchar_t kBootRecords[] = L"*[System[EventID=100]]";
// What made a boot slower than usual: one event per cause, 101 to 110.
constexpr wchar_t kDegradationRecords[] = L"*[System[(EventID>=101 and EventID<=110)]]";
// Records taken from the query per EvtNext call.
constexpr DWORD kBatch = 16;
// A query of a local log answers at once; the limit only keeps a log
// service that does not answer from holding the program for good.
constexpr DWORD kNextTimeoutMs = 10000;

// The signatures come from the header; only the addresses are looked up.
using EvtQueryFn = decltype(&::EvtQuery);
using EvtNextFn = decltype(&::EvtNext);
using EvtRenderFn = decltype(&::EvtRender);
using EvtCloseFn = decltype(&::EvtClose);

template <class Fn>
Fn Find(HMODULE module, const char* name) {
  // Through a generic function pointer: the cast between function pointer
  // types is what GetProcAddress is for.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// An event log handle (a query or a record). It can only have been made by
// the wevtapi.dll that the read holds loaded for longer than any of its
// handles, so its EvtClose is found there.
void CloseEventHandle(EVT_HANDLE handle) {
  HMODULE wevtapi = GetModuleHandleW(L"wevtapi.dll");
  if (wevtapi == nullptr) return;
  if (auto close = Find<EvtCloseFn>(wevtapi, "EvtClose")) close(handle);
}
using UniqueEventHandle = UniqueHandle<NullIsNone<EVT_HANDLE, CloseEventHandle>>;

struct EventApi {
  EvtQueryFn query = nullptr;
  EvtNextFn next = nullptr;
  EvtRenderFn render = nullptr;
  EvtCloseFn close = nullptr;  // (called through CloseEventHandle)
  // EvtClose too: no handle is taken that could not be given back.
  [[nodiscard]] bool complete() const { return query && next && render && close; }
};

// The log's own codes beside the common ones: a Windows without this log
// (server editions) answers that the channel is not there. A stub that
// fails without setting a code has failed all the same.
Status StatusOfEventError(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return Status::Failed;
    case ERROR_EVT_CHANNEL_NOT_FOUND:
    case ERROR_EVT_INVALID_CHANNEL_PATH:
      return Status::NotFound;
    default:
      return StatusFromError(code);
  }
}

// One record as its XML: the first call asks the size, the second renders.
Answer<Text> RenderXml(const EventApi& api, EVT_HANDLE record) {
  DWORD used = 0;
  DWORD properties = 0;
  if (api.render(nullptr, record, EvtRenderEventXml, 0, nullptr, &used, &properties)) return Text{};
  const DWORD error = LastError();
  if (error != ERROR_INSUFFICIENT_BUFFER) return StatusOfEventError(error);
  std::vector<wchar_t> buffer(used / sizeof(wchar_t) + 1, L'\0');
  if (!api.render(nullptr, record, EvtRenderEventXml,
                  static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), buffer.data(), &used,
                  &properties)) {
    return StatusOfEventError(LastError());
  }
  // The text ends at its terminating null, inside the bytes used.
  const std::size_t limit = std::min<std::size_t>(used / sizeof(wchar_t), buffer.size());
  const auto end = std::find(buffer.begin(), buffer.begin() + limit, L'\0');
  return Text(buffer.begin(), end);
}

Answer<std::vector<Text>> ReadRecords(const EventApi& api, const wchar_t* records,
                                      std::size_t maxCount) {
  UniqueEventHandle query(
      api.query(nullptr, kChannel, records, EvtQueryChannelPath | EvtQueryReverseDirection));
  if (!query) return StatusOfEventError(LastError());
  std::vector<Text> texts;
  while (texts.size() < maxCount) {
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(kBatch, maxCount - texts.size()));
    EVT_HANDLE got[kBatch] = {};
    DWORD returned = 0;
    if (!api.next(query.get(), wanted, got, kNextTimeoutMs, 0, &returned)) {
      const DWORD error = LastError();
      if (error == ERROR_NO_MORE_ITEMS) break;
      return StatusOfEventError(error);
    }
    // Owned before anything else can fail, so that every record is closed.
    std::vector<UniqueEventHandle> records;
    for (DWORD i = 0; i < std::min(returned, wanted); ++i) records.emplace_back(got[i]);
    if (records.empty()) break;  // success with nothing in hand: nothing more will come
    for (const UniqueEventHandle& record : records) {
      Answer<Text> xml = RenderXml(api, record.get());
      if (!xml.ok()) return xml.status();
      texts.push_back(std::move(xml).value());
    }
  }
  return texts;
}

// The newest records that the query selects from the log, newest first.
Answer<std::vector<Text>> ReadNewest(const wchar_t* records, std::size_t maxCount) {
  if (maxCount == 0) return std::vector<Text>{};
  // From the system folder only: a wevtapi.dll beside the program (or in
  // the current folder) is never the one meant.
  UniqueModule wevtapi(LoadLibraryExW(L"wevtapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!wevtapi) return StatusOfEventError(LastError());
  EventApi api;
  api.query = Find<EvtQueryFn>(wevtapi.get(), "EvtQuery");
  api.next = Find<EvtNextFn>(wevtapi.get(), "EvtNext");
  api.render = Find<EvtRenderFn>(wevtapi.get(), "EvtRender");
  api.close = Find<EvtCloseFn>(wevtapi.get(), "EvtClose");
  if (!api.complete()) return Status::NotFound;
  // The module stays loaded until every handle of the read is closed.
  return ReadRecords(api, records, maxCount);
}

}  // namespace

Answer<std::vector<Text>> WinBootEventLog::NewestBootRecords(std::size_t maxCount) {
  return ReadNewest(kBootRecords, maxCount);
}

Answer<std::vector<Text>> WinBootEventLog::NewestDegradationRecords(std::size_t maxCount) {
  return ReadNewest(kDegradationRecords, maxCount);
}

}  // namespace twk::platform::win32
