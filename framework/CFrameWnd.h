#pragma once
// Frame windows: a window that holds views, top-level or a child of another window.
// The view whose control id is AFX_IDW_PANE_FIRST fills the frame's client area
// (RecalcLayout, on every size change); one view at a time is the active one, which
// gets the focus with the frame and the frame's commands first.
//
// Ownership: a frame deletes itself when its window is destroyed (PostNcDestroy):
// create it with new (or CRuntimeClass::CreateObject) and let DestroyWindow end it.
// Its views are child windows and go the same way with it.
#include "framework/CWnd.h"

class CView;

#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDW_PANE_LAST 0xE9FF
// Style of views made by CreateView (the border becomes a client edge).
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

// What a frame needs to make its view: the view's run-time class (dynamically creatable).
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
    CView* m_pLastView = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    // Lets the system choose position and size.
    static const CRect rectDefault;

    CFrameWnd() = default;

    // Creates the frame (a child window when style has WS_CHILD); className null: the
    // framework's frame class. A context with a view class makes the first view.
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                        const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCWSTR menuName = nullptr,
                        DWORD exStyle = 0, CCreateContext* context = nullptr);
    // Creates a view of context->m_pNewViewClass as a visible child with the given id
    // over an empty rectangle (RecalcLayout sizes the pane). Null when it failed (the view
    // object is then gone).
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);

    CView* GetActiveView() const noexcept { return m_pViewActive; }
    // Makes view the active one (null: none). With notify, the old view's and the new
    // view's OnActivateView are called, and the new view takes the focus when the frame's
    // top-level window is active.
    virtual void SetActiveView(CView* view, BOOL notify = TRUE);
    // Fits the pane (the view with id AFX_IDW_PANE_FIRST; the active view when several
    // have it) to the client area.
    virtual void RecalcLayout(BOOL notify = TRUE);

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnCmdMsg(UINT id, UINT code) override;

protected:
    DECLARE_MESSAGE_MAP()

    // Makes the view of the creation context, if it names one.
    virtual BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context);
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnDestroy();

    CView* m_pViewActive = nullptr;
};
