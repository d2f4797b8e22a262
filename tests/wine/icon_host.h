#pragma once
// What the icon-host helper and the test that drives it agree on: the
// helper's window class, the messages it answers, and its report.
//
//   twk_icon_host <report path>
//
// The helper opens a top-level window holding an untitled
// "SHELLDLL_DefView" with a "SysListView32" titled "FolderView", as the
// shell's desktop does, fills it with icons and writes its report. Later
// reports follow the commands below, and a last one is written when it
// closes. A report is UTF-16LE, one line per item "x y text", after three
// lines "refreshes n", "redrawOff n", "redrawOn n" that count what the list
// view received. It is written beside the path and then moved there, so a
// reader never sees half of one.
#include <windows.h>

namespace twk::test::icon_host {

inline constexpr wchar_t kWindowClass[] = L"TWK_ICON_HOST";
// Sent: moves every icon away from its place, then writes the report.
inline constexpr UINT kScatter = WM_APP + 1;

}  // namespace twk::test::icon_host
