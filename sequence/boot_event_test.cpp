#include "sequence/boot_event.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/strings.h"
#include "platform/fake/fake_boot_events.h"

namespace twk::sequence {
namespace {

using Field = std::pair<std::u16string, std::u16string>;

// 1601 to 1970 is 11644473600 seconds; the Unix moments are worked out apart.
constexpr std::int64_t kUnixEpochMs = 11644473600000;
// 2024-03-01T11:58:01.123Z
constexpr std::int64_t kStartMs = kUnixEpochMs + 1709294281123;

// Event 100 as Windows 10 writes it (a few of its 25 fields), in its order:
// the figures stand among fields whose names contain "BootTime" too.
std::vector<Field> FullFields() {
  return {{u"BootTsVersion", u"2"},
          {u"BootStartTime", u"2024-03-01T11:58:01.1234567Z"},
          {u"BootEndTime", u"2024-03-01T11:58:42.3574567Z"},
          {u"BootTime", u"41234"},
          {u"MainPathBootTime", u"18000"},
          {u"BootKernelInitTime", u"25"},
          {u"BootPostBootTime", u"23234"},
          {u"BootIsDegradation", u"false"},
          {u"OSLoaderDuration", u"618"}};
}

std::u16string Event(const std::vector<Field>& fields, char16_t q = u'\'',
                     std::u16string_view id = u"100") {
  const std::u16string Q(1, q);
  std::u16string xml =
      u"<Event xmlns=" + Q + u"http://schemas.microsoft.com/win/2004/08/events/event" + Q +
      u"><System><Provider Name=" + Q + u"Microsoft-Windows-Diagnostics-Performance" + Q +
      u" Guid=" + Q + u"{CFC18EC0-96B1-4EBA-961B-622CAEE05B0A}" + Q + u"/><EventID>" +
      std::u16string(id) + u"</EventID><Version>2</Version><Level>1</Level>" +
      u"<Task>4002</Task><TimeCreated SystemTime=" + Q + u"2024-03-01T12:01:12.5120000Z" + Q +
      u"/><Execution ProcessID=" + Q + u"3160" + Q + u" ThreadID=" + Q + u"3556" + Q +
      u"/><Channel>Microsoft-Windows-Diagnostics-Performance/Operational</Channel>"
      u"<Computer>WORKSTATION</Computer><Security UserID=" +
      Q + u"S-1-5-19" + Q + u"/></System><EventData>";
  for (const Field& f : fields)
    xml += u"<Data Name=" + Q + f.first + Q + u">" + f.second + u"</Data>";
  return xml + u"</EventData></Event>";
}

std::vector<Field> Without(std::vector<Field> fields, std::u16string_view name) {
  std::erase_if(fields, [&](const Field& f) { return f.first == name; });
  return fields;
}

std::vector<Field> With(std::vector<Field> fields, std::u16string_view name,
                        std::u16string_view value) {
  for (Field& f : fields) {
    if (f.first == name) f.second = value;
  }
  return fields;
}

TEST(ParseBootEventTest, OrderQuotesAndWhiteSpaceDoNotMatter) {
  for (const bool reversed : {false, true}) {
    std::vector<Field> fields = FullFields();
    if (reversed) std::reverse(fields.begin(), fields.end());
    const auto figures = ParseBootEvent(Event(fields, reversed ? u'"' : u'\'')).value();
    EXPECT_EQ(figures.bootStartUtcMs, kStartMs);
    EXPECT_EQ(figures.bootTimeMs, 41234);
    EXPECT_EQ(figures.mainPathBootTimeMs, 18000);
    EXPECT_EQ(figures.postBootTimeMs, 23234);
  }

  // Indented the way the event viewer shows it, with space around values,
  // attributes and the equal sign, and a comment.
  const auto spaced = ParseBootEvent(
      u"\r\n<Event xmlns=\"x\" >\r\n  <System>\n    <Provider Name = "
      u"'Microsoft-Windows-Diagnostics-Performance' />\n    <EventID> 100 </EventID>\n"
      u"  </System>\n  <!-- boot -->\n  <EventData>\n"
      u"    <Data Name=\"BootStartTime\">\n 2024-03-01T11:58:01.1234567Z\t</Data>\n"
      u"    <Data\tName='BootTime' >\n41234\n</Data >\n  </EventData>\n</Event >\r\n");
  ASSERT_TRUE(spaced.has_value());
  EXPECT_EQ(spaced->bootStartUtcMs, kStartMs);
  EXPECT_EQ(spaced->bootTimeMs, 41234);
}

TEST(ParseBootEventTest, AMissingOrEmptyFigureIsUnknownAndTheOthersAreRead) {
  const auto noPostBoot = ParseBootEvent(Event(Without(FullFields(), u"BootPostBootTime"))).value();
  EXPECT_EQ(noPostBoot.postBootTimeMs, std::nullopt);
  EXPECT_EQ(noPostBoot.bootTimeMs, 41234);
  EXPECT_EQ(noPostBoot.mainPathBootTimeMs, 18000);

  const auto empty = ParseBootEvent(Event(With(FullFields(), u"MainPathBootTime", u" "))).value();
  EXPECT_EQ(empty.mainPathBootTimeMs, std::nullopt);
  EXPECT_EQ(empty.postBootTimeMs, 23234);

  // Self-closed, or a Data element outside the EventData (the UserData of
  // another record shape), which does not stand in for the record's own.
  for (const char16_t* before : {u"</EventData>", u"</System>"}) {
    std::u16string xml = Event(Without(FullFields(), u"BootTime"));
    xml.insert(xml.find(before), before[2] == u'E' ? u"<Data Name='BootTime'/>"
                                                   : u"<Data Name='BootTime'>5</Data>");
    EXPECT_EQ(ParseBootEvent(xml).value().bootTimeMs, std::nullopt) << ToUtf8(before);
  }

  // The largest value the record's 32-bit fields hold.
  EXPECT_EQ(
      ParseBootEvent(Event(With(FullFields(), u"BootTime", u"4294967295"))).value().bootTimeMs,
      4294967295);
}

TEST(ParseBootEventTest, DamagedRecordsAreRefused) {
  const std::u16string full = Event(FullFields());
  const auto data = [](std::u16string_view name, std::u16string_view value) {
    return u"<Data Name='" + std::u16string(name) + u"'>" + std::u16string(value) + u"</Data>";
  };
  std::u16string nested = full;
  nested.replace(nested.find(u"41234"), 5, u"<b>41234</b>");
  std::u16string otherProvider = full;
  otherProvider.replace(otherProvider.find(u"Diagnostics-Performance'"), 23, u"Kernel-Boot");
  std::u16string twice = full;
  twice.insert(twice.find(u"</EventData>"), data(u"BootTime", u"1"));

  // XML that is no whole element is the scanner's to refuse (its tests).
  const std::vector<std::pair<const char*, std::u16string>> damaged = {
      {"another event", Event(FullFields(), u'\'', u"101")},
      {"event id with junk", Event(FullFields(), u'\'', u"100x")},
      {"another provider", otherProvider},
      {"junk in a number", Event(With(FullFields(), u"BootTime", u"41 234"))},
      {"a negative number", Event(With(FullFields(), u"BootPostBootTime", u"-5"))},
      {"an entity in a number", Event(With(FullFields(), u"MainPathBootTime", u"&#49;8"))},
      {"beyond 32 bits", Event(With(FullFields(), u"BootTime", u"4294967296"))},
      {"an element in a number", nested},
      {"a figure twice", twice},
      {"no BootStartTime", Event(Without(FullFields(), u"BootStartTime"))},
      {"BootStartTime without zone",
       Event(With(FullFields(), u"BootStartTime", u"2024-03-01T11:58:01.1234567"))},
  };
  for (const auto& [what, xml] : damaged) {
    EXPECT_EQ(ParseBootEvent(xml), std::nullopt) << what;
  }
}

WindowsBootFigures BootAt(std::int64_t startMs, std::int64_t bootTimeMs) {
  WindowsBootFigures figures;
  figures.bootStartUtcMs = startMs;
  figures.bootTimeMs = bootTimeMs;
  return figures;
}

TEST(MatchBootEventTest, TakesTheRecordThatBeganBetweenShutdownAndProgramStart) {
  const std::int64_t shutdown = kStartMs - 5000;
  const std::int64_t programStart = kStartMs + 60000;
  // Newest first, as the log answers: this restart's boot and the one before.
  const std::vector<WindowsBootFigures> records = {BootAt(kStartMs, 41234),
                                                   BootAt(kStartMs - 3600000, 39000)};
  EXPECT_EQ(MatchBootEvent(records, shutdown, programStart).value().bootTimeMs, 41234);

  EXPECT_EQ(MatchBootEvent(records, kStartMs - 3700000, kStartMs - 3500000).value().bootTimeMs,
            39000);

  EXPECT_EQ(MatchBootEvent(records, programStart + 1, programStart + 90000), std::nullopt);
  EXPECT_EQ(MatchBootEvent({}, shutdown, programStart), std::nullopt);
  // The window's ends belong to it.
  EXPECT_TRUE(MatchBootEvent(records, kStartMs, kStartMs).has_value());
  EXPECT_EQ(MatchBootEvent(records, kStartMs + 1, kStartMs - 1), std::nullopt);

  // Of several boots in the window (Windows restarted once more by itself
  // for an update before the logon) the latest led to the program.
  const auto latest = MatchBootEvent(
      {BootAt(kStartMs - 20000, 1), BootAt(kStartMs, 2), BootAt(kStartMs - 40000, 3)},
      kStartMs - 60000, kStartMs + 60000);
  ASSERT_TRUE(latest.has_value());
  EXPECT_EQ(latest->bootTimeMs, 2);
}

TEST(ReadWindowsBootFiguresTest, ParsesEveryReadableRecordAndPassesOnWhyTheLogFailed) {
  platform::FakeBootEventLog log;
  std::u16string older = Event(With(FullFields(), u"BootStartTime", u"2024-03-01T10:00:00Z"));
  log.SetRecords({Event(FullFields()), Event(FullFields()).substr(0, 300), older});
  const auto figures = ReadWindowsBootFigures(log, 8);
  ASSERT_TRUE(figures.ok());
  ASSERT_EQ(figures.value().size(), 2u);
  EXPECT_EQ(figures.value()[0].bootStartUtcMs, kStartMs);
  EXPECT_EQ(figures.value()[1].bootStartUtcMs, kUnixEpochMs + 1709287200000);
  EXPECT_EQ(log.reads(), std::vector<std::size_t>{8});

  // Without administrator rights the log stays shut: that is not "no boots".
  log.SetStatus(platform::Status::Denied);
  EXPECT_EQ(ReadWindowsBootFigures(log, 8).status(), platform::Status::Denied);
  log.SetStatus(platform::Status::NotFound);
  EXPECT_EQ(ReadWindowsBootFigures(log, 8).status(), platform::Status::NotFound);
}

// Event 101 as Windows writes it, from its published fields in their order.
std::vector<Field> CulpritFields() {
  return {{u"StartTime", u"2024-03-01T11:58:30.9707250Z"},
          {u"NameLength", u"12"},
          {u"Name", u"OneDrive.exe"},
          {u"FriendlyNameLength", u"19"},
          {u"FriendlyName", u"Microsoft OneDrive"},
          {u"VersionLength", u"5"},
          {u"Version", u"24.1"},
          {u"TotalTime", u"8123"},
          {u"DegradationTime", u"5120"},
          {u"PathLength", u"40"},
          {u"Path", u"C:\\Users\\a\\OneDrive.exe"}};
}

TEST(ParseCulpritEvent, ReadsEvents101To110WithTheirWritingTimeAndRefusesTheRest) {
  // Written at 12:01:12.512 (TimeCreated), three minutes after the logon.
  const auto read = ParseCulpritEvent(Event(CulpritFields(), u'"', u"101")).value();
  EXPECT_EQ(read.writtenUtcMs, kUnixEpochMs + 1709294472512);
  EXPECT_EQ(read.culprit, (BootCulprit{101, u"OneDrive.exe", 8123, 5120}));
  EXPECT_EQ(CulpritKind(read.culprit.event), u"application");
  EXPECT_EQ(ParseCulpritEvent(Event(CulpritFields(), u'\'', u"110"))->culprit.event, 110);
  // Without a Name, the friendly one; without either, none.
  EXPECT_EQ(ParseCulpritEvent(Event(Without(CulpritFields(), u"Name"), u'"', u"103"))->culprit.name,
            u"Microsoft OneDrive");
  EXPECT_EQ(ParseCulpritEvent(Event(Without(Without(CulpritFields(), u"Name"), u"FriendlyName"),
                                    u'"', u"107"))
                ->culprit.name,
            u"");
  for (const std::u16string& damaged :
       {Event(CulpritFields(), u'"', u"100"), Event(CulpritFields(), u'"', u"111"),
        Event(Without(CulpritFields(), u"TotalTime"), u'"', u"101"),
        Event(With(CulpritFields(), u"DegradationTime", u"-5"), u'"', u"101"),
        Event(CulpritFields(), u'"', u"101").substr(0, 300)}) {
    EXPECT_FALSE(ParseCulpritEvent(damaged)) << ToUtf8(damaged);
  }
  // Another provider's event 101, or one without its time of writing.
  std::u16string other = Event(CulpritFields(), u'"', u"101");
  other.replace(other.find(u"Diagnostics-Performance"), 23, u"Something-Else");
  EXPECT_FALSE(ParseCulpritEvent(other));
  std::u16string timeless = Event(CulpritFields(), u'"', u"101");
  timeless.replace(timeless.find(u"SystemTime"), 10, u"OtherTime");
  EXPECT_FALSE(ParseCulpritEvent(timeless));
}

TEST(CulpritsWrittenBetween, TakesOnlyWhatWasWrittenInsideTheWindowOldestFirst) {
  const std::vector<WrittenCulprit> newestFirst = {{300, {103, u"c", 1, 1}},
                                                   {200, {102, u"b", 1, 1}},
                                                   {100, {101, u"a", 1, 1}},
                                                   {50, {101, u"early", 1, 1}}};
  const auto found = CulpritsWrittenBetween(newestFirst, 50, 300);  // both ends outside
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, u"a");
  EXPECT_EQ(found[1].name, u"b");
  EXPECT_TRUE(CulpritsWrittenBetween(newestFirst, 300, 1000).empty());
  platform::FakeBootEventLog log;
  log.SetDegradationRecords({Event(CulpritFields(), u'"', u"102"), u"<Event>broken"});
  const auto read = ReadBootCulprits(log, 8);
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read.value().size(), 1u);  // the damaged record is left out, not the others
  log.SetStatus(platform::Status::Denied);
  EXPECT_EQ(ReadBootCulprits(log, 8).status(), platform::Status::Denied);
}

}  // namespace
}  // namespace twk::sequence
