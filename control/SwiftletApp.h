#pragma once
// The program's entry object. Everything the process does happens inside InitInstance:
// it sets the process up, parses the command line, runs the chosen mode, tears the
// process down again and answers FALSE, so the framework runs no message loop of its
// own and the process ends.
#include <vector>

#include "control/CopyCore.h"
#include "control/SwiftletCore.h"
#include "foundation/DynamicLinkLibrary.h"
#include "framework/CCommandLineInfo.h"
#include "framework/CString.h"
#include "framework/CWinApp.h"

// How the process was started.
enum SwiftletRunMode : int {
    kRunModeNormal = 0,       // sources and a destination on the command line
    kRunModeShellHandOver = 1, // by the Explorer extension: the job waits on its pipe
    kRunModeElevated = 2,      // by the UI instance, elevated: the job arrives on its pipe
};

// Command line: [/m] SOURCE... DESTINATION, or /fcp PIPE, or /p PIPE. Flags begin with
// '/' or '-' and are matched without regard to case; unknown flags are ignored.
class CSwiftletCommandLineInfo : public CCommandLineInfo {
public:
    void ParseParam(const wchar_t* param, BOOL flag, BOOL last) override;

    int m_bExpectPipeName = 0;  // p or fcp seen, its pipe name still to come
    int m_nRunMode = kRunModeNormal;
    CString m_strPipeName;
    std::vector<CString> m_sources;
    CString m_strDestination;
    int m_bMove = 0;
};

// A name in the local pipe namespace ("\\.\pipe\NAME", NAME without path separators).
// Anything else, a file path above all, is never opened as a pipe: the pipe names on
// the command line come from other processes.
bool IsLocalPipeName(const CString& name);

class CSwiftletApp : public CWinApp {
    DECLARE_DYNAMIC(CSwiftletApp)
public:
    // runTaskWindow: what a process that keeps its job runs it with (the task window).
    explicit CSwiftletApp(Swiftlet::SwiftletCore::LocalRunner runTaskWindow = {});
    ~CSwiftletApp() override;

    BOOL InitInstance() override;

    // The mode's work for a parsed command line; quiet on every failure.
    void Dispatch(CSwiftletCommandLineInfo& info);

    // The job of an elevated process (mode 2).
    Swiftlet::CopyCore m_core;
    DLL::DynamicLinkLibraryManager m_libraries;

protected:
    // The process-level object; null when it cannot be made.
    virtual Swiftlet::ISwiftletCore* CreateCore();
    // Mode 1: fetch the dropped job from the extension's pipe, then continue as mode 0.
    virtual void RunShellHandOver(const CString& pipeName);
    // Mode 2: receive a job over the elevation pipe and run it in this process.
    virtual void RunElevated(const CString& pipeName);

private:
    Swiftlet::SwiftletCore::LocalRunner m_runTaskWindow;

    void SetUpProcess();
    void CleanUpProcess();
    // Mode 0's rule, also used by mode 1 once it has the job: only with at least one
    // source and a destination.
    void ExecuteJob(const std::vector<CString>& sources, const CString& destination, int* flag);
};
