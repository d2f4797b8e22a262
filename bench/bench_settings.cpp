// Load and save time of a settings file of 20,000 lines, on the real disk
// (a small POSIX file system below) and in memory (the fake file system).
// Every restart of a measured sequence loads and saves the settings file,
// so its cost is part of every measurement the program takes.
//
//   bench_settings [lines] [repetitions]
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/text_codec.h"
#include "bench/bench_common.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "sequence/measurement_store.h"
#include "settings/catalogue.h"
#include "settings/ini_document.h"

namespace {

using twk::Text;
namespace platform = twk::platform;

// Windows paths on a POSIX folder: "C:\a\b" and "\\?\C:\a\b" become root/a/b.
class PosixFileSystem final : public platform::FileSystem {
 public:
  explicit PosixFileSystem(std::string root) : root_(std::move(root)) {}

  platform::Answer<platform::FileHandle> Open(const Text& path, bool write, bool,
                                              platform::Disposition d) override {
    int flags = write ? O_RDWR : O_RDONLY;
    if (d == platform::Disposition::CreateAlways) flags |= O_CREAT | O_TRUNC;
    if (d == platform::Disposition::OpenAlways) flags |= O_CREAT;
    const int fd = ::open(Native(path).c_str(), flags | O_CLOEXEC, 0644);
    if (fd >= 0) return platform::FileHandle{fd + 1};  // never 0 for an open file
    return errno == ENOENT ? platform::Status::NotFound
           : errno == EACCES ? platform::Status::Denied
                             : platform::Status::Failed;
  }
  void Close(platform::FileHandle f) override { ::close(Fd(f)); }
  bool Read(platform::FileHandle f, void* buffer, std::uint32_t size,
            std::uint32_t& read) override {
    std::uint32_t total = 0;
    while (total < size) {
      const ssize_t n = ::read(Fd(f), static_cast<char*>(buffer) + total, size - total);
      if (n < 0) return false;
      if (n == 0) break;
      total += static_cast<std::uint32_t>(n);
    }
    read = total;
    return true;
  }
  bool Write(platform::FileHandle f, const void* data, std::uint32_t size,
             std::uint32_t& written) override {
    std::uint32_t total = 0;
    while (total < size) {
      const ssize_t n = ::write(Fd(f), static_cast<const char*>(data) + total, size - total);
      if (n <= 0) break;
      total += static_cast<std::uint32_t>(n);
    }
    written = total;
    return total == size;
  }
  bool Size(platform::FileHandle f, std::uint64_t& size) override {
    struct stat st {};
    if (::fstat(Fd(f), &st) != 0) return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
  }
  bool Seek(platform::FileHandle f, std::int64_t offset, platform::SeekOrigin origin) override {
    const int whence = origin == platform::SeekOrigin::Begin     ? SEEK_SET
                       : origin == platform::SeekOrigin::Current ? SEEK_CUR
                                                                 : SEEK_END;
    return ::lseek(Fd(f), offset, whence) >= 0;
  }
  bool Flush(platform::FileHandle f) override { return ::fsync(Fd(f)) == 0; }
  bool IsDirectory(const Text& path) override {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool Exists(const Text& path) override {
    struct stat st {};
    return ::stat(Native(path).c_str(), &st) == 0;
  }
  bool IsRoot(const Text& path) override { return Native(path) == root_ + "/"; }
  platform::CreateDirResult CreateDirectory(const Text& path) override {
    if (::mkdir(Native(path).c_str(), 0755) == 0) return platform::CreateDirResult::Created;
    return errno == EEXIST ? platform::CreateDirResult::AlreadyExists
                           : platform::CreateDirResult::Failed;
  }
  bool ReplaceWith(const Text& source, const Text& target) override {
    return ::rename(Native(source).c_str(), Native(target).c_str()) == 0;
  }
  bool Delete(const Text& path) override { return ::unlink(Native(path).c_str()) == 0; }
  platform::Answer<std::vector<Text>> FolderFiles(const Text& folder) override {
    DIR* dir = ::opendir(Native(folder).c_str());
    if (dir == nullptr) return errno == ENOENT ? platform::Status::NotFound : platform::Status::Failed;
    std::vector<Text> names;
    while (const dirent* entry = ::readdir(dir)) {
      if (entry->d_type == DT_REG) names.push_back(twk::FromUtf8(entry->d_name));
    }
    ::closedir(dir);
    return names;
  }

 private:
  static int Fd(platform::FileHandle f) { return static_cast<int>(f - 1); }
  std::string Native(Text path) const {
    if (path.rfind(u"\\\\?\\", 0) == 0) path.erase(0, 4);
    if (path.size() >= 2 && path[1] == u':') path.erase(0, 2);
    std::replace(path.begin(), path.end(), u'\\', u'/');
    return root_ + twk::ToUtf8(path);
  }
  std::string root_;
};

// A settings file as the program grows it: the setup choices, a long history
// and the positions of very many desktop icons.
Text MakeDocument(std::size_t lines) {
  using namespace twk::settings;
  namespace section = twk::settings::section;
  namespace file = twk::sequence::file;
  using twk::sequence::RestartKey;
  Text text;
  auto line = [&](const Text& l) { text.append(l).append(u"\r\n"); };
  line(u"[" + Text(section::Setup) + u"]");
  line(Text(key::TimesToReboot) + u"=100");
  line(Text(key::RebootDelay) + u"=5");
  line(Text(key::NoReport) + u"=0");
  line(u"[" + Text(file::section::TimeStamps) + u"]");
  line(Text(file::key::FirstShutDown) + u"=13370000000");
  line(Text(file::key::LastShutDown) + u"=13370000010");
  line(u"[" + Text(file::section::History) + u"]");
  for (std::uint32_t i = 1; i <= 100; ++i)
    line(RestartKey(i) + u"=" + twk::FormatUnsigned(40 + i % 7));
  line(u"[" + Text(section::DesktopIconLayout) + u"]");
  for (std::uint32_t i = 0; i + 108 < lines; ++i) {
    line(u"Shortcut to program number " + twk::FormatUnsigned(i) + u".lnk=" +
         twk::FormatUnsigned(i % 1900) + u"x" + twk::FormatUnsigned(i % 1000));
  }
  return text;
}

std::string Utf16LEFile(const Text& text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Median times of Load, of a start-up's reads and one edit, and of Save.
void Measure(const char* where, platform::FileSystem& fs, const Text& path, int repetitions) {
  std::vector<double> load, reads, save;
  std::size_t lineCount = 0;
  for (int r = 0; r < repetitions; ++r) {
    const platform::FakeAnsiCodePage ansi;  // the file is UTF-16: never asked
    twk::settings::SettingsFile doc(fs, ansi);
    auto t0 = std::chrono::steady_clock::now();
    if (!doc.Load(path)) {
      std::fprintf(stderr, "%s: load failed\n", where);
      std::exit(1);
    }
    auto t1 = std::chrono::steady_clock::now();
    volatile std::int32_t sink =
        twk::settings::ReadTimesToReboot(doc) + twk::settings::ReadRebootDelay(doc) +
        twk::settings::ReadInteger(doc, twk::sequence::file::section::History,
                                   twk::sequence::RestartKey(100));
    (void)sink;
    doc.SetValue(twk::sequence::file::section::History, twk::sequence::RestartKey(101), u"42");
    auto t2 = std::chrono::steady_clock::now();
    if (!doc.Save()) {
      std::fprintf(stderr, "%s: save failed\n", where);
      std::exit(1);
    }
    auto t3 = std::chrono::steady_clock::now();
    doc.DeleteKey(twk::sequence::file::section::History, twk::sequence::RestartKey(101));
    (void)doc.Save();  // back to the same file for the next round
    lineCount = doc.lines().size();
    load.push_back(Ms(t1 - t0));
    reads.push_back(Ms(t2 - t1));
    save.push_back(Ms(t3 - t2));
  }
  // The first round runs on a cold heap, as a freshly started program does.
  std::printf(
      "settings %-6s %6zu lines: load %7.3f ms (first %7.3f)  reads+edit %7.3f ms  "
      "save %7.3f ms (first %7.3f)\n",
      where, lineCount, twk::bench::Median(load), load[0], twk::bench::Median(reads),
      twk::bench::Median(save), save[0]);
}

// The measurements' model beside the document alone: each round loads the
// file and writes it back; the model's rounds also read the sequence into
// typed records and record one restart through them, as a reboot step does.
void MeasureModel(platform::FileSystem& fs, const Text& path, int repetitions) {
  std::vector<double> alone, model;
  for (int r = 0; r < 2 * repetitions; ++r) {
    const bool withModel = r % 2 == 1;  // in turn, so that drift hits both
    const platform::FakeAnsiCodePage ansi;
    twk::settings::SettingsFile doc(fs, ansi);
    const auto t0 = std::chrono::steady_clock::now();
    if (!doc.Load(path)) std::exit(1);
    if (withModel) {
      auto measurements = twk::sequence::MeasurementStore::Load(doc);
      (void)measurements.RecordRebootDuration(102, {13370000060, 13370000060000});
    }
    if (!doc.Save()) std::exit(1);
    const auto t1 = std::chrono::steady_clock::now();
    if (withModel) {
      doc.DeleteKey(twk::sequence::file::section::History, twk::sequence::RestartKey(101));
      doc.DeleteKey(twk::sequence::file::section::HistoryMilliseconds,
                    twk::sequence::RestartKey(101));
      (void)doc.Save();
    }
    (withModel ? model : alone).push_back(Ms(t1 - t0));
  }
  std::printf(
      "measurements model: load+save %7.3f ms with the model, %7.3f ms the document alone "
      "(ratio %.3f)\n",
      twk::bench::Median(model), twk::bench::Median(alone),
      twk::bench::Median(model) / twk::bench::Median(alone));
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20000;
  const int repetitions = argc > 2 ? std::atoi(argv[2]) : 15;
  const std::string bytes = Utf16LEFile(MakeDocument(lines));
  const Text path = u"C:\\Tarnwick\\TWK.ini";

  platform::FakeFileSystem memory;
  memory.AddDrive(u'C');
  if (!memory.SetFile(path, bytes)) return 1;
  Measure("memory", memory, path, repetitions);
  MeasureModel(memory, path, repetitions);

  char folder[] = "/tmp/twk-bench-XXXXXX";
  if (::mkdtemp(folder) == nullptr) return 1;
  const std::string parent = std::string(folder) + "/Tarnwick";
  const std::string file = parent + "/TWK.ini";
  ::mkdir(parent.c_str(), 0755);
  FILE* f = std::fopen(file.c_str(), "wb");
  if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
  std::fclose(f);
  PosixFileSystem disk(folder);
  Measure("disk", disk, path, repetitions);
  ::unlink(file.c_str());
  ::rmdir(parent.c_str());
  ::rmdir(folder);
  return 0;
}
