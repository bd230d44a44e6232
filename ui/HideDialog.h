#pragma once
// A modal dialog that its modal loop never shows: it stays hidden until the program
// shows it (the task window waits a second, so that a short copy shows nothing).
#include "framework/CDialog.h"

class CHideDialog : public CDialog {
    DECLARE_DYNAMIC(CHideDialog)
public:
    CHideDialog() = default;
    explicit CHideDialog(UINT templateId, CWnd* parent = nullptr) noexcept : CDialog(templateId, parent) {}

    INT_PTR DoModal() override;
};
