// CWnd: binding objects to windows, the window procedure, creation and destruction.
#include "framework/CWnd.h"

#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "framework/Afx.h"
#include "framework/CFrameWnd.h"
#include "framework/CWinThread.h"
#include "framework/Resource.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

LRESULT CALLBACK AfxCbtHook(int code, WPARAM wParam, LPARAM lParam) noexcept;

namespace {

// The bound objects of all windows of the process.
class HandleMap {
public:
    CWnd* Find(HWND hwnd) noexcept {
        AcquireSRWLockShared(&m_lock);
        auto it = m_map.find(hwnd);
        CWnd* wnd = it == m_map.end() ? nullptr : it->second;
        ReleaseSRWLockShared(&m_lock);
        return wnd;
    }
    bool Insert(HWND hwnd, CWnd* wnd) noexcept {
        AcquireSRWLockExclusive(&m_lock);
        bool inserted = false;
        try {
            inserted = m_map.emplace(hwnd, wnd).second;
        } catch (...) {
        }
        ReleaseSRWLockExclusive(&m_lock);
        return inserted;
    }
    void Remove(HWND hwnd, CWnd* wnd) noexcept {
        AcquireSRWLockExclusive(&m_lock);
        auto it = m_map.find(hwnd);
        if (it != m_map.end() && it->second == wnd)
            m_map.erase(it);
        ReleaseSRWLockExclusive(&m_lock);
    }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> m_map;
};

HandleMap& Bound() {
    static HandleMap map;
    return map;
}

// Temporary objects of FromHandle; they never own their window.
struct TempMap {
    std::unordered_map<HWND, CWnd*> map;
    void Clear() noexcept {
        for (auto& entry : map) {
            entry.second->m_hWnd = nullptr;
            delete entry.second;
        }
        map.clear();
    }
};

// Frees a thread's temporary objects when the thread ends. (A thread_local object
// with a destructor is not used for this: MinGW's thread-local storage may be gone by
// the time such destructors run.)
void NTAPI FreeTempMap(void* temps) {
    if (auto* map = static_cast<TempMap*>(temps)) {
        map->Clear();
        delete map;
    }
}

DWORD TempMapSlot() {
    static const DWORD slot = ::FlsAlloc(&FreeTempMap);
    return slot;
}

// Per-thread state of the window procedures; trivially destructible (see above).
struct ThreadWindowState {
    int depth;                // framework window procedures running on the thread
    const MSG* current;       // the message they are handling
    CWnd* pendingCreate;      // the object CreateEx binds to its new window
    HHOOK hook;
    int hookUsers;
    TempMap* temps;           // created on first use, freed at the thread's end

    TempMap& Temps() {
        if (!temps) {
            temps = new TempMap;
            ::FlsSetValue(TempMapSlot(), temps);
        }
        return *temps;
    }
};

thread_local ThreadWindowState t_state{};

// What a message answers when its handler threw.
LRESULT ContainedResult(HWND hwnd, UINT message) noexcept {
    switch (message) {
    case WM_CREATE:
        return -1;  // a window whose creation failed half-way is not kept
    case WM_NCCREATE:
        return FALSE;
    case WM_PAINT:
        ::ValidateRect(hwnd, nullptr);  // or the paint would be asked for forever
        return 0;
    default:
        return 0;
    }
}

// The default IME window of a thread is made by the system while the thread's first
// window is created; it is never the window being created.
bool IsImeWindow(HWND hwnd) noexcept {
    if (::GetClassLongPtrW(hwnd, GCL_STYLE) & CS_IME)
        return true;
    wchar_t name[8] = {};
    ::GetClassNameW(hwnd, name, 8);
    return lstrcmpiW(name, L"IME") == 0;
}

// Binds the object to the next window the thread creates (through a CBT hook), for the
// duration of one CreateWindowEx call.
class CreationScope {
public:
    explicit CreationScope(CWnd* wnd) noexcept : m_state(t_state), m_saved(m_state.pendingCreate) {
        m_state.pendingCreate = wnd;
        if (m_state.hookUsers++ == 0)
            m_state.hook = ::SetWindowsHookExW(WH_CBT, &AfxCbtHook, nullptr, ::GetCurrentThreadId());
    }
    ~CreationScope() {
        m_state.pendingCreate = m_saved;
        if (--m_state.hookUsers == 0 && m_state.hook) {
            ::UnhookWindowsHookEx(m_state.hook);
            m_state.hook = nullptr;
        }
    }
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;
    // Whether the hook bound the object (it then clears the pending object).
    bool Bound() const noexcept { return m_state.pendingCreate == nullptr; }

private:
    ThreadWindowState& m_state;
    CWnd* m_saved;
};

}  // namespace

LRESULT CALLBACK AfxCbtHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    ThreadWindowState& state = t_state;
    if (code == HCBT_CREATEWND && state.pendingCreate) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        if (!IsImeWindow(hwnd)) {
            CWnd* wnd = std::exchange(state.pendingCreate, nullptr);
            if (wnd->BindAndSubclass(hwnd)) {
                try {
                    wnd->PreSubclassWindow();
                } catch (...) {
                }
            }
        }
    }
    return ::CallNextHookEx(state.hook, code, wParam, lParam);
}

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd || !wnd->m_bRouted)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    ThreadWindowState& state = t_state;
    MSG msg{hwnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* saved = state.current;
    state.current = &msg;
    ++state.depth;
    LRESULT result;
    try {
        if (message == WM_NCDESTROY) {
            result = wnd->NcDestroy(wParam, lParam);  // wnd may be gone afterwards
        } else {
            if (wnd->m_nFlags & WF_TOOLTIPS)
                wnd->FilterToolTipMessage(msg);
            result = wnd->WindowProc(message, wParam, lParam);
        }
    } catch (...) {
        result = ContainedResult(hwnd, message);
    }
    --state.depth;
    state.current = saved;
    return result;
}

CWnd::~CWnd() {
    if (!m_hWnd)
        return;
    HWND hwnd = m_hWnd;
    DestroyToolTip();
    // No message may reach a half-destroyed object: unbind first.
    Unbind();
    if (::IsWindow(hwnd))
        ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) noexcept { return hwnd ? Bound().Find(hwnd) : nullptr; }

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hwnd))
        return wnd;
    auto& temps = t_state.Temps().map;
    auto it = temps.find(hwnd);
    if (it != temps.end())
        return it->second;
    CWnd* temp = new CWnd;
    temp->m_hWnd = hwnd;
    try {
        temps.emplace(hwnd, temp);
    } catch (...) {
        temp->m_hWnd = nullptr;
        delete temp;
        throw;
    }
    return temp;
}

void CWnd::DeleteTempMap() noexcept {
    ThreadWindowState& state = t_state;
    if (state.depth == 0 && state.temps)
        state.temps->Clear();
}

const MSG* CWnd::GetCurrentMessage() noexcept { return t_state.current; }

BOOL CWnd::Attach(HWND hwnd) noexcept {
    if (m_hWnd || !hwnd || !Bound().Insert(hwnd, this))
        return FALSE;
    m_hWnd = hwnd;
    m_bRouted = FALSE;
    return TRUE;
}

HWND CWnd::Detach() noexcept {
    HWND hwnd = m_hWnd;
    if (hwnd) {
        DestroyToolTip();
        Unbind();
    }
    return hwnd;
}

BOOL CWnd::BindAndSubclass(HWND hwnd) noexcept {
    if (m_hWnd || !hwnd || !Bound().Insert(hwnd, this))
        return FALSE;
    m_hWnd = hwnd;
    WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    m_pfnSuper = nullptr;
    if (current != &AfxWndProc) {
        m_pfnSuper = current;
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
    }
    m_bRouted = TRUE;
    return TRUE;
}

void CWnd::Unbind() noexcept {
    if (m_bRouted && m_pfnSuper &&
        ::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc))
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    Bound().Remove(m_hWnd, this);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    m_bRouted = FALSE;
}

BOOL CWnd::SubclassWindow(HWND hwnd) noexcept {
    if (!BindAndSubclass(hwnd))
        return FALSE;
    try {
        PreSubclassWindow();
    } catch (...) {
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) noexcept {
    HWND control = parent ? ::GetDlgItem(parent->m_hWnd, static_cast<int>(id)) : nullptr;
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() noexcept { return Detach(); }

LRESULT CWnd::NcDestroy(WPARAM wParam, LPARAM lParam) {
    // The main window of a thread ending ends the thread's message loop.
    if (CWinThread* thread = AfxGetThread(); thread && thread->m_pMainWnd == this) {
        ::PostQuitMessage(0);
        thread->m_pMainWnd = nullptr;
    }
    // A modal loop of a window destroyed without ending it would wait for ever.
    if (m_nFlags & WF_CONTINUEMODAL)
        EndModalLoop(-1);
    DestroyToolTip();
    HWND hwnd = m_hWnd;
    LRESULT result = m_pfnSuper ? ::CallWindowProcW(m_pfnSuper, hwnd, WM_NCDESTROY, wParam, lParam)
                                : ::DefWindowProcW(hwnd, WM_NCDESTROY, wParam, lParam);
    Unbind();
    PostNcDestroy();
    return result;
}

BOOL CWnd::DestroyWindow() {
    HWND hwnd = m_hWnd;
    if (!hwnd)
        return FALSE;
    if (m_bRouted)
        return ::DestroyWindow(hwnd);  // WM_NCDESTROY unbinds (and may delete the object)
    BOOL destroyed = ::DestroyWindow(hwnd);
    if (!::IsWindow(hwnd))
        Detach();
    return destroyed;
}

void CWnd::PostNcDestroy() {}

void CWnd::PreSubclassWindow() {}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
        if (!cs.lpszClass)
            return FALSE;
    }
    return TRUE;
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  CCreateContext* context) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, SafeHwnd(parent),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = style;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = idOrMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }
    HWND hwnd;
    bool bound;
    {
        CreationScope scope(this);
        hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
        bound = scope.Bound();
    }
    if (!bound) {
        // The window was never made (no hook call): the object gets its clean-up here.
        LastErrorSaver error;
        if (hwnd)
            ::DestroyWindow(hwnd);
        PostNcDestroy();
        return FALSE;
    }
    // A null window after binding was destroyed while being created (WM_CREATE answered
    // -1): WM_NCDESTROY has already unbound the object and run PostNcDestroy.
    return hwnd != nullptr;
}

LPCWSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::set<std::wstring> registered;
    HINSTANCE instance = AfxGetInstanceHandle();
    wchar_t name[96];
    wsprintfW(name, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle, static_cast<void*>(cursor),
              static_cast<void*>(background), static_cast<void*>(icon));
    AcquireSRWLockExclusive(&lock);
    LPCWSTR result = nullptr;
    try {
        auto it = registered.find(name);
        if (it != registered.end()) {
            result = it->c_str();
        } else {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.style = classStyle;
            wc.lpfnWndProc = &AfxWndProc;
            wc.hInstance = instance;
            wc.hCursor = cursor;
            wc.hbrBackground = background;
            wc.hIcon = icon;
            wc.lpszClassName = name;
            WNDCLASSEXW existing{};
            existing.cbSize = sizeof(existing);
            if (::GetClassInfoExW(instance, name, &existing) || ::RegisterClassExW(&wc))
                result = registered.emplace(name).first->c_str();
        }
    } catch (...) {
        result = nullptr;
    }
    ReleaseSRWLockExclusive(&lock);
    return result;
}

CWnd* AfxGetMainWnd() {
    CWinThread* thread = AfxGetThread();
    return thread ? thread->m_pMainWnd : nullptr;
}

// comctl32 is mapped here, by the first window that may hold a control, and not imported:
// under Wine loading it registers every class it has, a good part of a process's start,
// and a process that never shows a window (a job handed over, the elevated copy) need
// not pay for it. The library stays mapped for the rest of the process.
void AfxInitCommonControls() noexcept {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    ::InitOnceExecuteOnce(
        &once,
        [](PINIT_ONCE, PVOID, PVOID*) -> BOOL {
            using InitType = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
            HMODULE module = ::LoadLibraryW(L"comctl32.dll");
            const auto init = module ? reinterpret_cast<InitType>(reinterpret_cast<void*>(
                                           ::GetProcAddress(module, "InitCommonControlsEx")))
                                     : nullptr;
            INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
            if (init)
                init(&icc);
            return TRUE;
        },
        nullptr, nullptr);
}
