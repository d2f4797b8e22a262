// The resources of the built Tarnwick.exe (next to the test program), read
// from the file as data: the images that the windows draw, the icon in every
// size, the version record and the manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "ui/resource_ids.h"

namespace {

std::wstring ProductPath() {
  wchar_t path[2049] = {};
  GetModuleFileNameW(nullptr, path, 2048);
  std::wstring text(path);
  return text.substr(0, text.rfind(L'\\') + 1) + L"Tarnwick.exe";
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(ProductPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << "Tarnwick.exe not found beside the tests, error "
                                << GetLastError();
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  // The bytes of one resource; empty when it is missing.
  std::string Bytes(const wchar_t* type, const wchar_t* name) {
    HRSRC found = FindResourceW(module_, name, type);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module_, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
  }

  HMODULE module_ = nullptr;
};

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST_F(ResourcesTest, ImagesArePngsOfTheirSizes) {
  const struct {
    int id;
    std::uint32_t size;
  } images[] = {{IDR_IMAGE_BUSY, 32},        {IDR_IMAGE_PAUSE, 32},
                {IDR_IMAGE_START, 44},       {IDR_IMAGE_HISTORY, 32},
                {IDR_IMAGE_BUSY_LARGE, 64},  {IDR_IMAGE_PAUSE_LARGE, 64},
                {IDR_IMAGE_START_LARGE, 88}, {IDR_IMAGE_HISTORY_LARGE, 64}};
  for (const auto& image : images) {
    const std::string png = Bytes(L"IMAGE", MAKEINTRESOURCEW(image.id));
    ASSERT_GT(png.size(), 33u) << image.id;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << image.id;
    EXPECT_EQ(png.substr(12, 4), "IHDR") << image.id;
    EXPECT_EQ(BigEndian32(png, 16), image.size) << image.id;  // width
    EXPECT_EQ(BigEndian32(png, 20), image.size) << image.id;  // height
    EXPECT_EQ(png[25], 6) << "RGBA, for the transparent corners: " << image.id;
  }
}

TEST_F(ResourcesTest, IconHasEverySizeAndLoads) {
  const std::string group = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_TARNWICK));
  ASSERT_GE(group.size(), 6u);
  // GRPICONDIR: reserved, type 1, count; then 14-byte entries whose first
  // byte is the width (0 for 256).
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(group[at]); };
  const unsigned count = byte(4) | byte(5) << 8;
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::set<int> widths;
  for (unsigned i = 0; i < count; ++i) {
    const int width = byte(6 + 14 * i);
    widths.insert(width == 0 ? 256 : width);
  }
  EXPECT_EQ(widths, (std::set<int>{16, 24, 32, 48, 64, 256}));

  for (int size : {64, 26, 24, 16}) {
    HICON icon = static_cast<HICON>(
        LoadImageW(module_, MAKEINTRESOURCEW(IDI_TARNWICK), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

TEST_F(ResourcesTest, VersionIs260) {
  const std::wstring path = ProductPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020006u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00020006u);

  const auto text = [&](const wchar_t* key) {
    wchar_t* value = nullptr;
    UINT length = 0;
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
      return std::wstring(L"<missing>");
    }
    return std::wstring(value);
  };
  EXPECT_TRUE(text(L"FileVersion") == L"2.6.0.0");
  EXPECT_TRUE(text(L"ProductVersion") == L"2.6.0.0");
  EXPECT_TRUE(text(L"ProductName") == L"Tarnwick");
  EXPECT_FALSE(text(L"FileDescription").empty());
  EXPECT_TRUE(text(L"FileDescription") != L"<missing>");
}

TEST_F(ResourcesTest, ManifestAsksForCommonControls6TheCallersLevelAndPerMonitorScale) {
  const std::string manifest = Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
  ASSERT_FALSE(manifest.empty());
  for (const char* part :
       {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"", "level=\"asInvoker\"",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
        ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

}  // namespace
