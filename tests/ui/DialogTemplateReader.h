#pragma once
// Reads a dialog template (DIALOGEX) of the running program as the resource compiler
// wrote it: the exact styles, dialog-unit rectangles, classes, texts and font, before
// the dialog manager turns any of it into windows.
#include <windows.h>

#include <string>
#include <vector>

struct DialogItemTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // predefined classes by their names ("Button", "Static", ...)
    std::wstring text;       // an ordinal (an image resource) as "#133"
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<DialogItemTemplate> items;
};

// False when the resource is missing or is not a DIALOGEX template.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& result);
