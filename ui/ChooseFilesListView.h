#pragma once
// The list of the choose-files dialog: one row per conflicting pair, drawn by the rows
// themselves, with check boxes that follow the mouse and the keyboard, the file's shell
// menu and default command on its image, and the file's path as tool tip. The dialog
// talks to it with the messages below; it tells the dialog of every check change with
// WM_NOTIFY code kCheckChanged.
#include <memory>
#include <vector>

#include "framework/CScrollView.h"
#include "framework/TImplSetGetFont.h"
#include "ui/ChooseFilesDrawer.h"
#include "ui/RolloverEventHandler.h"
#include "ui/ShellContextMenu.h"

using CChooseFilesListViewBase = UShell::TContextMenuWnd<TRolloverEventHandler<TImplSetGetFont<CScrollView>>>;

class CChooseFilesListView : public CChooseFilesListViewBase, public CChooseFilesDrawerEventHandler {
    DECLARE_DYNCREATE(CChooseFilesListView)
public:
    // Messages of the dialog (see the handlers for their arguments).
    static constexpr UINT kAppend = WM_APP + 1;          // wParam CChooseFilesDrawerData*: 1 when appended
    static constexpr UINT kLoaded = WM_APP + 2;          // every row is there: first images, layout
    static constexpr UINT kCountChecked = WM_APP + 3;    // wParam int* new, lParam int* existing
    static constexpr UINT kSetColumn = WM_APP + 4;       // LOWORD(wParam) 1 left else right, HIWORD 1 check
    static constexpr UINT kIsChecked = WM_APP + 5;       // wParam int[2] {row, side 1|2}
    static constexpr UINT kIsVisible = WM_APP + 6;       // wParam int[1] {row}
    static constexpr UINT kGetPath = WM_APP + 7;         // wParam int[2] {row, side}, lParam CString*
    static constexpr UINT kCountSame = WM_APP + 8;       // rows with the same date and size
    static constexpr UINT kShowSame = WM_APP + 9;        // wParam 1 show, 0 hide them
    static constexpr UINT kCount = WM_APP + 10;
    static constexpr UINT kVisibleCount = WM_APP + 11;
    // WM_NOTIFY code to the parent (idFrom 0) when a check changed.
    static constexpr UINT kCheckChanged = 0x8001;

    static constexpr int kGap = 1;
    static constexpr int kFirstImages = 3;  // rows whose images are loaded before the first paint

    void OnDraw(CDC* dc) override;
    void OnInitialUpdate() override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* ti) const override;

    // Where the rows' images come from from now on (null: the shell, through the
    // thumbnail and icon getters); the images loaded so far are dropped.
    void SetImageGetter(UShell::CFileImageGetter* images);

    // For tests: the row of an index (null past the end) and how many sides hold an image.
    CChooseFilesDrawer* GetDrawer(int index) const;
    size_t GetLoadedImageCount() const { return m_cache.Size(); }
    CPoint ToList(CPoint client) const {
        const CPoint scroll = GetScrollPosition();
        return CPoint(client.x + scroll.x, client.y + scroll.y);
    }

protected:
    CChooseFilesListView();
    ~CChooseFilesListView() override;
    DECLARE_MESSAGE_MAP()

    void OnCheckChanged(CChooseFilesDrawer* drawer, int code) override;
    void OnFocusChanged(CChooseFilesDrawer* drawer) override;
    void OnFontChanged() override;
    void OnMouseLeave() override;

    afx_msg LRESULT OnAppend(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoaded(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCountChecked(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSetColumn(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIsChecked(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIsVisible(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnGetPath(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCountSame(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowSame(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCount(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnVisibleCount(WPARAM wParam, LPARAM lParam);

    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg LRESULT OnThemeChanged();
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnMButtonDown(UINT flags, CPoint point);
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT key, UINT repeat, UINT flags);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg BOOL OnToolTipText(UINT id, NMHDR* header, LRESULT* result);

private:
    // Places the visible rows one below the other and sets the scroll sizes.
    void Layout();
    // Tells the parent that checks changed (unless a bulk change is under way).
    void NotifyParent();
    // The visible row under point (list coordinates), -1 when none.
    int RowAt(CPoint point) const;
    // The side (1, 2) whose body holds a client point and its row; 0 when none.
    int BodyAt(CPoint client, int* row) const;
    int FocusedRow() const;
    // The row's rectangle in client coordinates.
    CRect ClientRect(const CRect& listRect) const;
    void InvalidateRow(int index);
    void ScrollRowIntoView(int index);
    // Moves the keyboard focus to side of row (clearing the old row's focus and press).
    void FocusRow(int index, int side);
    void ShowMenu(int index, int side, CPoint screen);
    // Clears flags on every side of every row.
    void ClearSideFlags(int flags);

    std::vector<std::unique_ptr<CChooseFilesDrawer>> m_drawers;
    CChooseFilesDrawerEventGenerator m_events;
    Graphic::Draw::CDrawCheckBox m_checkBox;
    UShell::CFileImageGetter m_shellImages;
    UShell::CFileImageGetter* m_images = &m_shellImages;
    CChooseFilesImageCache m_cache;
    UShell::ContextMenu m_menu;
    CBrush m_separator;
    CFont m_boldFont;
    CString m_toolTipText;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_bulk = 0;         // > 0: check changes are gathered, the parent hears once
    bool m_changed = false;  // a check changed during the bulk change
};
