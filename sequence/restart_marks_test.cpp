// Restarts that were not plain ones: the readings in the registry (in the
// 64-bit view from a 32-bit process), the mark they give, and the two calls
// of a restart's request and of the start after it on the settings file.
#include "sequence/restart_marks.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "sequence/sequence_test_support.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

using platform::FakeRegistry;
using platform::RegistryRoot;

constexpr char16_t kAutoUpdate[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr char16_t kServicing[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing";
constexpr char16_t kPrefetch[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
    u"PrefetchParameters";

std::vector<std::uint8_t> Dword(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

class RestartMarksTest : public ::testing::Test {
 protected:
  RestartMarksTest() {
    // A 32-bit program on 64-bit Windows: the view is what matters.
    registry.SetMachine(true, true);
    registry.AddKey(RegistryRoot::LocalMachine, kAutoUpdate);
    registry.AddKey(RegistryRoot::LocalMachine, kServicing);
    fs.AddDrive(u'C');
  }
  void SetBootId(std::uint32_t value) {
    registry.PutValue(RegistryRoot::LocalMachine, kPrefetch, kBootIdValue,
                      platform::ValueType::Dword, Dword(value));
  }
  Text Value(const Text& section, const Text& key) const {
    const Text* value = settings.GetValue(section, key);
    return value != nullptr ? *value : u"<none>";
  }

  FakeRegistry registry;
  platform::FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  settings::SettingsFile settings{fs, ansi};
  platform::FakeClock clock;
};

TEST_F(RestartMarksTest, UpdatesWaitWhileEitherKeyExistsInThe64BitView) {
  EXPECT_FALSE(UpdatesWaiting(registry));
  // The 32-bit view's copy, where a 32-bit process would look by itself,
  // is not the one Windows makes.
  registry.AddKey(RegistryRoot::LocalMachine,
                  u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\"
                  u"Auto Update\\RebootRequired");
  EXPECT_FALSE(UpdatesWaiting(registry));
  for (const Text& key :
       {Text(kAutoUpdate) + u"\\RebootRequired", Text(kServicing) + u"\\RebootPending"}) {
    SCOPED_TRACE(ToUtf8(key));
    registry.AddKey(RegistryRoot::LocalMachine, key);
    EXPECT_TRUE(UpdatesWaiting(registry));
    // There all the same when this user may not open it.
    registry.DenyOpen(RegistryRoot::LocalMachine, key);
    EXPECT_TRUE(UpdatesWaiting(registry));
    ASSERT_TRUE(registry.RemoveKey(RegistryRoot::LocalMachine, key));
    EXPECT_FALSE(UpdatesWaiting(registry));
  }
  EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST_F(RestartMarksTest, TheBootCounterIsReadOnlyAsTheDwordItIs) {
  EXPECT_EQ(ReadBootId(registry), std::nullopt);  // no such key
  SetBootId(0x01020304);
  EXPECT_EQ(ReadBootId(registry), 0x01020304u);
  SetBootId(0xFFFFFFFF);
  EXPECT_EQ(ReadBootId(registry), 0xFFFFFFFFu);
  registry.FailNext(FakeRegistry::Op::QueryValue);
  EXPECT_EQ(ReadBootId(registry), std::nullopt);
  registry.PutValue(RegistryRoot::LocalMachine, kPrefetch, kBootIdValue,
                    platform::ValueType::Binary, Dword(7));
  EXPECT_EQ(ReadBootId(registry), std::nullopt);
  registry.PutValue(RegistryRoot::LocalMachine, kPrefetch, kBootIdValue, platform::ValueType::Dword,
                    {7, 0});
  EXPECT_EQ(ReadBootId(registry), std::nullopt);
  SetBootId(9);
  registry.DenyOpen(RegistryRoot::LocalMachine, kPrefetch);
  EXPECT_EQ(ReadBootId(registry), std::nullopt);
  EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST(RestartMarkTest, UpdatesFirstThenABootCounterThatGrewByMoreThanOne) {
  const struct {
    const char* what;
    RestartRequest request;
    std::optional<std::uint32_t> after;
    RestartMark mark;
  } cases[] = {
      {"updates waiting", {true, std::nullopt}, std::nullopt, RestartMark::Updates},
      {"updates that started Windows thrice", {true, 10}, 13, RestartMark::Updates},
      {"one boot", {false, 10}, 11, RestartMark::None},
      {"two boots", {false, 10}, 12, RestartMark::ExtraBoots},
      {"the counter over the top of 32 bits",
       {false, 0xFFFFFFF0},
       0xFFFFFFFF,
       RestartMark::ExtraBoots},
      {"no boot at all (Wine keeps no counter)", {false, 10}, 10, RestartMark::None},
      {"a counter that went down", {false, 10}, 3, RestartMark::None},
      {"unreadable at the request", {false, std::nullopt}, 15, RestartMark::None},
      {"unreadable after it", {false, 10}, std::nullopt, RestartMark::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MarkOf(c.request, c.after), c.mark) << c.what;
  }
}

// The request's readings go into the file beside the shutdown stamp; the
// start after marks the restart from them and forgets them.
TEST_F(RestartMarksTest, ReadingsAtTheRequestMarkTheRestartAtTheStartAfterOnce) {
  namespace section = file::section;
  namespace key = file::key;
  MeasurementStore m = MeasurementStore::Load(settings);
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  SetBootId(41);
  registry.AddKey(RegistryRoot::LocalMachine, Text(kServicing) + u"\\RebootPending");
  EXPECT_TRUE(NoteRestartRequest(registry, m));
  EXPECT_EQ(Value(section::TimeStamps, key::ShutDownUpdatesWaiting), u"1");
  EXPECT_EQ(Value(section::TimeStamps, key::ShutDownBootId), u"41");

  // The start after: the file as it was saved.
  ASSERT_TRUE(
      registry.RemoveKey(RegistryRoot::LocalMachine, Text(kServicing) + u"\\RebootPending"));
  SetBootId(44);
  clock.AdvanceSeconds(300);
  m = MeasurementStore::Load(settings);
  EXPECT_EQ(m.request(), (RestartRequest{true, 41}));
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  EXPECT_TRUE(MarkMeasuredRestart(registry, m, u"Reboot 1"));
  EXPECT_EQ(Value(section::RestartMarks, u"Reboot 1"), u"updates");
  EXPECT_EQ(Value(section::TimeStamps, key::ShutDownUpdatesWaiting), u"<none>");
  EXPECT_EQ(Value(section::TimeStamps, key::ShutDownBootId), u"<none>");
  EXPECT_EQ(MeasurementStore::Load(settings).restarts().at(0).mark, RestartMark::Updates);

  // The same start repeated finds nothing to mark by, and changes nothing.
  const std::vector<Text> before = settings.lines();
  m = MeasurementStore::Load(settings);
  EXPECT_FALSE(MarkMeasuredRestart(registry, m, u"Reboot 1"));
  EXPECT_EQ(settings.lines(), before);

  // The next request with an unreadable counter leaves no counter of an
  // earlier one behind.
  ASSERT_TRUE(m.RecordRestartRequest({false, 12}));
  ASSERT_TRUE(registry.RemoveKey(RegistryRoot::LocalMachine, kPrefetch));
  EXPECT_TRUE(NoteRestartRequest(registry, m));
  EXPECT_EQ(Value(section::TimeStamps, key::ShutDownBootId), u"<none>");
  EXPECT_EQ(m.request(), RestartRequest{});
}

TEST_F(RestartMarksTest, AMarkStaysAsFirstDecidedAndNeedsTheRestartsFigure) {
  namespace section = file::section;
  MeasurementStore m = MeasurementStore::Load(settings);
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  clock.AdvanceSeconds(60);
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  EXPECT_TRUE(m.RecordMark(u"REBOOT 1", RestartMark::ExtraBoots));
  EXPECT_FALSE(m.RecordMark(u"Reboot 1", RestartMark::Updates));
  EXPECT_FALSE(m.RecordMark(u"Reboot 2", RestartMark::Updates));  // not measured
  EXPECT_FALSE(m.RecordMark(u"Reboot 1", RestartMark::None));
  EXPECT_EQ(settings.Entries(section::RestartMarks),
            (std::vector<settings::KeyValue>{{u"Reboot 1", u"extra boots"}}));
  // A new sequence keeps it with the sequence and starts without marks.
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  EXPECT_FALSE(settings.FindSection(section::RestartMarks));
  EXPECT_EQ(Value(section::SequencesMarks, u"Sequence 1"), u"extra boots");
}

TEST_F(RestartMarksTest, ValuesEditedOrDamagedInTheFileMarkNothing) {
  ASSERT_TRUE(fs.SetFile(u"C:\\TWK.ini",
                         testing::Utf16File({u"[TimeStamps]", u"ShutDownUpdatesWaiting=0",
                                             u"ShutDownBootId=4294967296", u"[History]",
                                             u"Reboot 1=50", u"Reboot 2=40", u"[RestartMarks]",
                                             u"Reboot 1=crash", u"Reboot 2=Extra Boots"})));
  ASSERT_TRUE(settings.Load(u"C:\\TWK.ini"));
  const MeasurementStore m = MeasurementStore::Load(settings);
  EXPECT_EQ(m.request(), RestartRequest{});
  EXPECT_EQ(m.restarts().at(0).mark, RestartMark::None);
  EXPECT_EQ(m.restarts().at(1).mark, RestartMark::ExtraBoots);  // letter case aside
}

}  // namespace
}  // namespace twk::sequence
