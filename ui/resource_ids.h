#pragma once
// Resource ids of Tarnwick.exe, shared by the resource script and the code
// that loads them. Plain macros for the resource compiler, which reads this
// file too; the code uses the constants below.

// The program icon (16 to 256 pixels), also shown on the setup's buttons.
#define IDI_TARNWICK 107

// PNG images of resource type "IMAGE", drawn with GDI+.
#define IDR_IMAGE_BUSY 141     // 32 x 32: busy, and the close button
#define IDR_IMAGE_PAUSE 142    // 32 x 32: pause
#define IDR_IMAGE_START 143    // 44 x 44: start and resume
#define IDR_IMAGE_HISTORY 144  // 32 x 32: the history and a sequence's restarts
// The same drawings at twice their size, for display scales above 100 %:
// each at its image's id + 100.
#define IDR_IMAGE_BUSY_LARGE 241
#define IDR_IMAGE_PAUSE_LARGE 242
#define IDR_IMAGE_START_LARGE 243
#define IDR_IMAGE_HISTORY_LARGE 244

#ifndef RC_INVOKED
namespace twk::ui::resource {
inline constexpr int ProgramIcon = IDI_TARNWICK;
inline constexpr int BusyImage = IDR_IMAGE_BUSY;  // also the close button's picture
inline constexpr int PauseImage = IDR_IMAGE_PAUSE;
inline constexpr int StartImage = IDR_IMAGE_START;      // also the resume button's picture
inline constexpr int HistoryImage = IDR_IMAGE_HISTORY;  // also the restarts button's picture
inline constexpr int kLargeImageOffset = IDR_IMAGE_BUSY_LARGE - IDR_IMAGE_BUSY;
}  // namespace twk::ui::resource
#endif
