#pragma once
// A dialog's picture (the task window's banner) at the screen's resolution.
#include <windows.h>

#include "framework/CGdiObject.h"

// Loads bitmap resource bitmapId, scales it from 96 dots per inch to the screen's, keeps
// it within the room from the static's top-left corner to the dialog's bottom-right
// corner, and shows it in the static staticId of dialog. image receives the bitmap and
// must outlive its showing (the static does not delete it); the image the static showed
// before is deleted unless it was image's. 1 on success.
int LoadScaledDialogBitmap(HWND dialog, int staticId, UINT bitmapId, CBitmap& image);

// The size a bitmap of size `size` made for 96 dots per inch has at dpiX x dpiY, kept
// within `room`.
SIZE ScaledDialogBitmapSize(SIZE size, int dpiX, int dpiY, SIZE room);
