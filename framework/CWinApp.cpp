#include "framework/CWinApp.h"

#include <cstdlib>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp* AfxGetApp() { return g_app; }

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName) {
    // The application lives as long as the process: it is never deleted by its thread.
    m_bAutoDelete = FALSE;
    m_nThreadID = GetCurrentThreadId();
    if (!g_app)
        g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
    if (AfxGetThread() == this)
        AfxSetThread(nullptr);
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    // The runtime's own split of the command line, as the program's arguments were
    // always read; without it, the system's split of the same line.
    if (__wargv) {
        AfxParseCommandLine(info, __argc, __wargv);
        return;
    }
    AfxParseCommandLine(info, GetCommandLineW());
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = showCommand;
    app->m_nThreadID = GetCurrentThreadId();
    AfxSetThread(app);
    int code;
    try {
        code = app->InitInstance() ? app->Run() : app->ExitInstance();
    } catch (...) {
        // Whatever the application let through ends the program with a failure code
        // instead of an unhandled-exception dialog.
        code = -1;
    }
    AfxSetThread(nullptr);
    return code;
}

void AfxEnableControlContainer() {}
