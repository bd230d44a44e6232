#pragma once
// A static that shows a file the way the shell does: its thumbnail, or its icon.
#include <windows.h>

#include "framework/Controls.h"
#include "ui/FileImageGetter.h"

// Message: show the file whose path (LPCWSTR) is in wParam; a null path changes nothing.
#define FISM_SETFILE (WM_APP + 1)

// An owner-drawn static (SS_OWNERDRAW).
class CFileImageStatic : public CStatic {
public:
    // Shows path's image (FISM_SETFILE).
    void SetFile(LPCWSTR path) { SendMessage(FISM_SETFILE, reinterpret_cast<WPARAM>(path)); }
    const UShell::CFileImageGetterData& GetImage() const { return m_image; }

    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    void PreSubclassWindow() override;
    afx_msg LRESULT OnSetFile(WPARAM wParam, LPARAM lParam);
    // Fills image with path's thumbnail at size, or its icon.
    virtual void LoadImage(LPCWSTR path, SIZE size, UShell::CFileImageGetterData& image);

    UShell::CFileImageGetterData m_image;

    DECLARE_MESSAGE_MAP()
};
