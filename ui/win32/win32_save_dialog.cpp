// The system's save dialog (comdlg32), opened in the user's Documents folder.
// clang-format off
#include "ui/win32/win32_backend.h"
#include <commdlg.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>
#include <vector>

namespace twk::ui {

std::optional<Text> Win32Backend::ChooseSaveFile(Handle owner, const SaveFileRequest& request) {
  // Room for long paths; the dialog says so (and fails) when a name does not fit.
  std::vector<wchar_t> file(32768, L'\0');
  std::copy(request.defaultName.begin(),
            request.defaultName.begin() +
                static_cast<std::ptrdiff_t>(std::min(request.defaultName.size(), file.size() - 1)),
            file.begin());
  wchar_t documents[MAX_PATH] = {};
  const bool haveDocuments =
      SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents));
  // Filter pairs end in a zero each, the list in one more.
  std::vector<wchar_t> filter(request.filterName.begin(), request.filterName.end());
  filter.push_back(L'\0');
  filter.insert(filter.end(), request.filterPattern.begin(), request.filterPattern.end());
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  const std::wstring extension(request.defaultExtension.begin(), request.defaultExtension.end());

  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = ToHwnd(owner);
  dialog.lpstrFilter = filter.data();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = haveDocuments ? documents : nullptr;
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags =
      OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;  // cancelled, or the dialog failed
  return Text(reinterpret_cast<const char16_t*>(file.data()));
}

}  // namespace twk::ui
