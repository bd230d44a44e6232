#pragma once
// Screenshots for people: window tests save what a window looks like as a PNG file in
// <build>/screenshots/ (the folder of the running test program), so that someone can
// look at the layout, the Japanese text and the artwork. Tests never compare them.
//
//   HWND dlg = CreateDialogParamW(...);
//   ... fill it ...
//   EXPECT_TRUE(SaveWindowScreenshot(dlg, L"overwrite-file"));  // screenshots/overwrite-file.png
//
// Names are file names without the extension; a later save of the same name replaces
// the earlier one.
#include <windows.h>

#include "framework/CString.h"

// The folder the screenshots go to, created when missing.
CString ScreenshotFolder();

// Saves the window as it is on the screen: its frame, its client area and its children
// (for a child window, its own rectangle). The top-level window that holds it is shown
// without activation and kept above every other window while it is captured, and then
// put back as it was (hidden, not topmost). Waits until the window is painted and no
// other window covers it (at most about two seconds; after that it saves what it
// has). Returns true when the file was written.
bool SaveWindowScreenshot(HWND window, const wchar_t* name);

// Saves a bitmap (any format GDI can copy from, not selected into a device context).
bool SaveBitmapScreenshot(HBITMAP bitmap, const wchar_t* name);

// Reads back the size of a saved PNG (0 x 0 when it cannot be read); for the tests of
// the helper itself and for tests that check a capture happened.
SIZE ScreenshotSize(const wchar_t* name);
// The colour of one pixel of a saved PNG, as a COLORREF; CLR_INVALID when it cannot be read.
COLORREF ScreenshotPixel(const wchar_t* name, int x, int y);
