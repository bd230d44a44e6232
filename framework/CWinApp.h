#pragma once
// The application object: one per program, the framework thread object of the main
// thread. AfxWinMain runs its InitInstance; when that answers TRUE the message loop runs
// until WM_QUIT, otherwise the program ends at once. Either way ExitInstance gives the
// process's exit code.
#include "framework/CCommandLineInfo.h"
#include "framework/CWinThread.h"

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Becomes the application of the process (AfxGetApp) until it is destroyed.
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Hands every argument of the process's command line to info.ParseParam.
    void ParseCommandLine(CCommandLineInfo& info);

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCWSTR m_pszAppName = nullptr;
};

// The application object of the process, null when there is none.
CWinApp* AfxGetApp();

// The program's entry: runs the application object (see CWinApp). Returns the exit
// code; -1 when there is no application object.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);

// Hosting ActiveX controls needs nothing of its own here: dialogs hold only common
// controls. Kept so that start-up reads as the framework expects.
void AfxEnableControlContainer();
