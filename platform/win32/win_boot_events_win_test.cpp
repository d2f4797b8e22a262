// The boot records through the real event log API. Under Wine that API is a
// stub, so the read must end cleanly with nothing or a failure; on Windows
// every record it answers is event 100 of the boot diagnostics.
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

using test::RunsUnderWine;

bool WevtapiLoaded() { return GetModuleHandleW(L"wevtapi.dll") != nullptr; }

// Reads on a thread of its own, so that a read that never comes back fails
// this test instead of holding the whole suite (the thread is left behind).
std::optional<Records> ReadWithin(std::size_t maxCount, std::chrono::seconds limit) {
  auto promise = std::make_shared<std::promise<Records>>();
  std::future<Records> result = promise->get_future();
  std::thread([promise, maxCount] {
    WinBootEventLog log;
    promise->set_value(log.NewestBootRecords(maxCount));
  }).detach();
  if (result.wait_for(limit) != std::future_status::ready) return std::nullopt;
  return result.get();
}

TEST(BootEventLogWin, AnswersTheNewestRecordsOrWhyNotWithoutHanging) {
  const bool loadedBefore = WevtapiLoaded();
  const std::optional<Records> read = ReadWithin(4, std::chrono::seconds(60));
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

TEST(BootEventLogWin, AskingForNoRecordsLeavesTheLogAlone) {
  const bool loadedBefore = WevtapiLoaded();
  const std::optional<Records> read = ReadWithin(0, std::chrono::seconds(10));
  ASSERT_TRUE(read.has_value());
  ASSERT_TRUE(read->ok()) << static_cast<int>(read->status());
  EXPECT_TRUE(read->value().empty());
  if (!loadedBefore) {
    EXPECT_FALSE(WevtapiLoaded());
  }
}

}  // namespace
}  // namespace twk::platform::win32
