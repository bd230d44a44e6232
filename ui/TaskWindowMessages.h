#pragma once
// Private messages of the task window, its operation list, the operation panels and
// their views. The same number means something else on each kind of window.
#include <windows.h>
#include <commctrl.h>

namespace TaskMessages {

// To the task window.
inline constexpr UINT kListChanged = WM_APP + 1;  // WPARAM 0: fit to the list (LPARAM the list)
inline constexpr UINT kJobArrived = WM_APP + 2;   // sent by the hand-over server thread

// To the operation list.
inline constexpr UINT kGetOperationCount = WM_APP + 1;
inline constexpr UINT kGetVisibleCount = WM_APP + 2;
inline constexpr UINT kPanelSizeChanged = WM_APP + 3;  // acted on with WPARAM 1, LPARAM the panel

// To a panel.
inline constexpr UINT kCoreEvent = WM_APP + 1;        // posted by the job's handler, WPARAM the handler
inline constexpr UINT kOperationEnded = WM_APP + 2;   // posted by the panel to itself, WPARAM 1
inline constexpr UINT kCoreStateChanged = WM_APP + 4;  // sent by the job's handler, WPARAM the handler
inline constexpr UINT kSetViewMode = WM_APP + 101;     // WPARAM the new view mode

// To a panel's view.
inline constexpr UINT kRefreshCaption = WM_APP + 1;

// WM_NOTIFY codes (idFrom 0): from the list to the task window...
inline constexpr UINT kNotifyOperationAdded = 0x8001;
inline constexpr UINT kNotifyOperationRemoved = 0x8002;
inline constexpr UINT kNotifyViewSwitched = 0x8003;
// ...and from a panel to the list.
inline constexpr UINT kNotifyPanelViewSwitched = 0x8001;
// From a multi-state button to its parent (idFrom the button's id).
inline constexpr UINT kNotifyButtonState = 0x8001;

// View modes of the progress views.
inline constexpr int kViewCompact = 1;
inline constexpr int kViewDetailed = 2;

}  // namespace TaskMessages

// What the list's notifications carry: the panel added or removed (null when a panel
// switched its view).
struct NMOPERATION {
    NMHDR hdr;
    HWND panel;
};
