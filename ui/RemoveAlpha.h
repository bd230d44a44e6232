#pragma once
// Alpha flattening: a bitmap with per-pixel transparency (thumbnails and icons of the
// shell) laid over a solid background, so that it can be copied and stretched like any
// other bitmap.
#include <windows.h>

#include "framework/CDC.h"
#include "framework/CGdiObject.h"

namespace Graphic::Bitmap {

class CRemoveAlpha {
public:
    // output becomes a bitmap compatible with dc, of the source's size, showing source
    // over background. 1 on success; 0 when a step fails or the source has no
    // transparency to flatten (not 32 bits per pixel, or no alpha value in it at all:
    // such a bitmap is opaque as it is). output is left empty on failure.
    int RemoveAlpha(CDC* dc, HBRUSH background, HBITMAP source, CBitmap& output) const;

    // Whether bitmap is a 32-bit one with at least one non-zero alpha value.
    static bool HasAlpha(HBITMAP bitmap);
};

}  // namespace Graphic::Bitmap
