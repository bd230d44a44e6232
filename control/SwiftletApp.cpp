#include "control/SwiftletApp.h"

#include <windows.h>

#include <clocale>
#include <new>

#include "control/CopyAlgorithmMultiThreadElevateClient.h"
#include "foundation/ComApartment.h"
#include "foundation/DynamicFunction.h"
#include "foundation/GdiplusSession.h"
#include "ipc/PipeCommand.h"
#include "ipc/RunCopyCommand.h"

IMPLEMENT_DYNAMIC(CSwiftletApp, CWinApp)

namespace {

// Kept mapped for the whole run; the first is an optional outside library. The theme
// and shell libraries are not among them: the functions bound from them map them on
// demand (DLL::LoadOnDemand) into the same list, so a job that never shows a window
// never loads them.
constexpr const wchar_t* kPreloadedLibraries[] = {L"Talvora.dll", L"Psapi.dll"};

bool EqualsNoCase(const wchar_t* a, const wchar_t* b) { return CString(a).CompareNoCase(b) == 0; }

}  // namespace

void CSwiftletCommandLineInfo::ParseParam(const wchar_t* param, BOOL flag, BOOL last) {
    if (!param)
        param = L"";
    if (flag) {
        if (EqualsNoCase(param, L"p")) {
            m_nRunMode = kRunModeElevated;
            m_bExpectPipeName = 1;
        } else if (EqualsNoCase(param, L"fcp")) {
            m_nRunMode = kRunModeShellHandOver;
            m_bExpectPipeName = 1;
        } else if (EqualsNoCase(param, L"m")) {
            m_bMove = 1;
        }
    } else if (m_bExpectPipeName == 1) {
        m_strPipeName = param;
        m_bExpectPipeName = 0;
    } else if (last) {
        m_strDestination = param;
    } else {
        m_sources.push_back(CString(param));
    }
}

bool IsLocalPipeName(const CString& name) {
    static const wchar_t kPrefix[] = L"\\\\.\\pipe\\";
    const int prefixLength = static_cast<int>(wcslen(kPrefix));
    if (name.GetLength() <= prefixLength || name.Left(prefixLength).CompareNoCase(kPrefix) != 0)
        return false;
    // "..", "/" or "\" would let the system resolve the name to a file or a device.
    const CString rest = name.Mid(prefixLength);
    return rest.FindOneOf(L"\\/") < 0 && rest != L"." && rest != L"..";
}

CSwiftletApp::CSwiftletApp(Swiftlet::SwiftletCore::LocalRunner runTaskWindow)
    : CWinApp(L"Swiftlet"), m_runTaskWindow(std::move(runTaskWindow)) {}

CSwiftletApp::~CSwiftletApp() { m_libraries.FreeAll(); }

Swiftlet::ISwiftletCore* CSwiftletApp::CreateCore() {
    return new (std::nothrow) Swiftlet::SwiftletCore(m_runTaskWindow);
}

void CSwiftletApp::SetUpProcess() {
    _wsetlocale(LC_ALL, L"");
    // COM is opened by the first shell request of this thread (Com::EnsureThreadApartment)
    // and closed at clean-up: a job that shows no window never maps it.

    // Libraries are loaded by bare name: never from the current folder, which may be any
    // folder the user copies from or to. The same holds for the system libraries the
    // program delay-loads on their first call.
    SetDllDirectoryW(L"");
    for (const wchar_t* name : kPreloadedLibraries)
        m_libraries.Load(name);  // a library that is missing is simply not there
    DLL::SetProcessLibraries(&m_libraries);
    // GDI+ starts when the first window draws with it (Graphic::GdiplusSession), and the
    // shell's item function is bound at its first use, shell32 mapped then: a job that
    // shows no window maps neither.
    DLL::GetStreamFunctions();

    // No sleep while any Swiftlet process runs.
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

void CSwiftletApp::CleanUpProcess() {
    delete Swiftlet::GetSwiftletCore();
    Swiftlet::SetSwiftletCore(nullptr);
    SetThreadExecutionState(ES_CONTINUOUS);
    Graphic::GdiplusSession::Instance().Shutdown();
    DLL::SetProcessLibraries(nullptr);
    m_libraries.Free(L"shell32.dll");
    m_libraries.FreeAll();
    Com::CloseThreadApartment();
}

BOOL CSwiftletApp::InitInstance() {
    // The common controls are registered by the first window that may hold one
    // (AfxInitCommonControls): a process that hands its job over never loads them.
    CWinApp::InitInstance();
    AfxEnableControlContainer();

    SetUpProcess();
    Swiftlet::SetSwiftletCore(CreateCore());
    if (Swiftlet::GetSwiftletCore()) {
        try {
            CSwiftletCommandLineInfo info;
            ParseCommandLine(info);
            Dispatch(info);
        } catch (...) {
            // Nothing is shown from here: a failure ends the mode's work quietly.
        }
    }
    // Also without a core: COM, GDI+ and the libraries are given back all the same, as far
    // as the run took them.
    CleanUpProcess();
    return FALSE;
}

void CSwiftletApp::Dispatch(CSwiftletCommandLineInfo& info) {
    switch (info.m_nRunMode) {
    case kRunModeNormal:
        ExecuteJob(info.m_sources, info.m_strDestination, &info.m_bMove);
        break;
    case kRunModeShellHandOver:
        if (IsLocalPipeName(info.m_strPipeName))
            RunShellHandOver(info.m_strPipeName);
        break;
    case kRunModeElevated:
        if (IsLocalPipeName(info.m_strPipeName))
            RunElevated(info.m_strPipeName);
        break;
    default:
        break;
    }
}

void CSwiftletApp::ExecuteJob(const std::vector<CString>& sources, const CString& destination, int* flag) {
    Swiftlet::ISwiftletCore* core = Swiftlet::GetSwiftletCore();
    if (core && !sources.empty() && !destination.IsEmpty())
        core->Execute(sources, destination, flag);
}

void CSwiftletApp::RunShellHandOver(const CString& pipeName) {
    std::vector<CString> sources;
    CString destination;
    int32_t flags = 0;
    // The pipe is closed again before the job goes on: the extension's Explorer thread
    // waits until then.
    if (!Swiftlet::FetchShellJob(pipeName, sources, destination, flags))
        return;
    int flag = flags;
    ExecuteJob(sources, destination, &flag);
}

void CSwiftletApp::RunElevated(const CString& pipeName) {
    Swiftlet::RunElevatedCopy(pipeName, m_core);
}
