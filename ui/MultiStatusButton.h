#pragma once
// A button that steps through statuses (pause / resume, details shown / hidden).
#include <windows.h>

#include <vector>

#include "framework/Controls.h"

// WM_NOTIFY code a multi-status button sends its parent when its status changed.
#define MSBN_STATUSCHANGED (WM_APP + 1)

template <class T>
class TMultiStatusButton : public CButton {
public:
    TMultiStatusButton() = default;
    explicit TMultiStatusButton(std::vector<T> values) : statuses(std::move(values)) {}

    // Makes index the current status and tells the parent (WM_NOTIFY, code
    // MSBN_STATUSCHANGED, reflected to the button first) and redraws the button; 0 for
    // an index outside the statuses.
    int SetStatus(int index) {
        if (index < 0 || static_cast<size_t>(index) >= statuses.size())
            return 0;
        current = index;
        if (m_hWnd && ::IsWindow(m_hWnd)) {
            NMHDR header{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), MSBN_STATUSCHANGED};
            ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
            if (::IsWindow(header.hwndFrom))
                ::InvalidateRect(header.hwndFrom, nullptr, TRUE);  // a button with images shows the status
        }
        return 1;
    }
    int GetStatus() const { return current; }

    std::vector<T> statuses;
    int current = -1;  // no status yet

protected:
    // Steps between statuses 0 and 1 (the two-status buttons toggle on a click).
    void ToggleStatus() { SetStatus(current == 1 ? 0 : 1); }
};
