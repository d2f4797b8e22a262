// The boot records through the real event log API. Under Wine that API is a
// stub, so each read must end cleanly with nothing or a failure; on Windows
// every record the boot read answers is event 100 of the boot diagnostics,
// and every one the slowdown read answers is one of events 101 to 110.
#include <windows.h>
// After windows.h, whose types they use.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "base/strings.h"
#include "platform/win32/win_boot_events.h"
#include "platform/win32/wine_test_util.h"
#include "sequence/boot_event.h"

namespace twk::platform::win32 {
namespace {

using Records = Answer<std::vector<Text>>;
// Which of the log's reads a test makes.
using Read = Records (WinBootEventLog::*)(std::size_t);
constexpr Read kBootRead = &WinBootEventLog::NewestBootRecords;
constexpr Read kDegradationRead = &WinBootEventLog::NewestDegradationRecords;

using test::RunsUnderWine;

bool WevtapiLoaded() { return GetModuleHandleW(L"wevtapi.dll") != nullptr; }

// Reads on a thread of its own, so that a read that never comes back fails
// this test instead of holding the whole suite (the thread is left behind).
std::optional<Records> ReadWithin(Read read, std::size_t maxCount, std::chrono::seconds limit) {
  auto promise = std::make_shared<std::promise<Records>>();
  std::future<Records> result = promise->get_future();
  std::thread([promise, read, maxCount] {
    WinBootEventLog log;
    promise->set_value((log.*read)(maxCount));
  }).detach();
  if (result.wait_for(limit) != std::future_status::ready) return std::nullopt;
  return result.get();
}

TEST(BootEventLogWin, AnswersTheNewestRecordsOrWhyNotWithoutHanging) {
  const bool loadedBefore = WevtapiLoaded();
  const std::optional<Records> read = ReadWithin(kBootRead, 4, std::chrono::seconds(60));
  ASSERT_TRUE(read.has_value()) << "the read did not come back within a minute";
  std::printf("boot records: status %d, %zu\n", static_cast<int>(read->status()),
              read->ok() ? read->value().size() : std::size_t{0});
  if (read->ok()) {
    EXPECT_LE(read->value().size(), 4u);
    for (const Text& xml : read->value()) {
      EXPECT_TRUE(sequence::ParseBootEvent(xml).has_value()) << ToUtf8(xml.substr(0, 400));
    }
  }
  if (RunsUnderWine()) {
    EXPECT_TRUE(!read->ok() || read->value().empty()) << "Wine's event log API is a stub";
  }
  // The library is given back once the read is over.
  if (!loadedBefore) {
    EXPECT_FALSE(WevtapiLoaded());
  }
}

// The number in the record's <EventID> element (which may carry
// attributes), or -1 when there is none.
int EventId(const Text& xml) {
  const std::size_t element = xml.find(u"<EventID");
  if (element == Text::npos) return -1;
  const std::size_t start = xml.find(u'>', element);
  if (start == Text::npos) return -1;
  int id = 0;
  std::size_t i = start + 1;
  for (; i < xml.size() && xml[i] >= u'0' && xml[i] <= u'9' && id < 100000; ++i) {
    id = id * 10 + (xml[i] - u'0');
  }
  return i == start + 1 ? -1 : id;
}

TEST(BootEventLogWin, AnswersTheNewestSlowdownsOrWhyNotWithoutHanging) {
  const bool loadedBefore = WevtapiLoaded();
  const std::optional<Records> read = ReadWithin(kDegradationRead, 20, std::chrono::seconds(60));
  ASSERT_TRUE(read.has_value()) << "the read did not come back within a minute";
  std::printf("slowdown records: status %d, %zu\n", static_cast<int>(read->status()),
              read->ok() ? read->value().size() : std::size_t{0});
  if (read->ok()) {
    EXPECT_LE(read->value().size(), 20u);
    for (const Text& xml : read->value()) {
      const int id = EventId(xml);
      EXPECT_TRUE(id >= 101 && id <= 110) << id << ": " << ToUtf8(xml.substr(0, 400));
    }
  }
  if (RunsUnderWine()) {
    EXPECT_TRUE(!read->ok() || read->value().empty()) << "Wine's event log API is a stub";
  }
  if (!loadedBefore) {
    EXPECT_FALSE(WevtapiLoaded());
  }
}

TEST(BootEventLogWin, AskingForNoRecordsLeavesTheLogAlone) {
  for (const Read read : {kBootRead, kDegradationRead}) {
    const bool loadedBefore = WevtapiLoaded();
    const std::optional<Records> records = ReadWithin(read, 0, std::chrono::seconds(10));
    ASSERT_TRUE(records.has_value());
    ASSERT_TRUE(records->ok()) << static_cast<int>(records->status());
    EXPECT_TRUE(records->value().empty());
    if (!loadedBefore) {
      EXPECT_FALSE(WevtapiLoaded());
    }
  }
}

}  // namespace
}  // namespace twk::platform::win32
