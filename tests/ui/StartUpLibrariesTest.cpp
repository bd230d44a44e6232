// What the real program maps for a job: Swiftlet.exe is started as a debuggee, so that
// the system reports every library the process loads, and the names are compared with
// what a job of one small file needs. A job that never shows a window must not load the
// window system, COM, the shell, the common controls, the theme library or GDI+.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "TaskWindowDriver.h"
#include "tests/support/PipeTestSupport.h"
#include "tests/support/TestFiles.h"

using PipeTest::Quote;

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

// The file name of a library the debuggee loaded.
std::wstring LoadedName(const LOAD_DLL_DEBUG_INFO& info, HANDLE process) {
    wchar_t path[MAX_PATH * 2] = {};
    if (info.hFile && GetFinalPathNameByHandleW(info.hFile, path, MAX_PATH * 2, 0)) {
        const std::wstring full(path);
        return Lower(full.substr(full.find_last_of(L"\\/") + 1));
    }
    // Else the name the system wrote into the debuggee.
    void* pointer = nullptr;
    SIZE_T read = 0;
    if (!info.lpImageName || !ReadProcessMemory(process, info.lpImageName, &pointer, sizeof pointer, &read) ||
        !pointer)
        return std::wstring();
    wchar_t name[MAX_PATH] = {};
    ReadProcessMemory(process, pointer, name, sizeof name - sizeof(wchar_t), &read);
    const std::wstring full(name);
    return Lower(full.substr(full.find_last_of(L"\\/") + 1));
}

struct DebuggedRun {
    bool started = false;
    DWORD exitCode = 0xFFFFFFFF;
    std::set<std::wstring> libraries;
};

// Runs command line to its end as a debuggee and records every library it loads.
DebuggedRun RunDebugged(CString line) {
    DebuggedRun run;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si, &pi))
        return run;
    line.ReleaseBuffer();
    run.started = true;
    DebugSetProcessKillOnExit(TRUE);
    const DWORD deadline = GetTickCount() + 120000;
    for (bool running = true; running && GetTickCount() < deadline;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 1000))
            continue;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case LOAD_DLL_DEBUG_EVENT:
            run.libraries.insert(LoadedName(event.u.LoadDll, pi.hProcess));
            if (event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The program's own: the first-chance breakpoint of the loader is the only one
            // a debugger takes.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            run.exitCode = event.u.ExitProcess.dwExitCode;
            running = false;
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    if (run.exitCode == 0xFFFFFFFF)
        TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

}  // namespace

TEST(StartUpLibraries, AOneFileJobMapsNoWindowSystemShellOrComAndCopiesTheFile) {
    PipeTest::FixedPipeLock handOver{PipeTest::FixedPipeLock::kHandOver};
    ASSERT_TRUE(handOver.Held());
    TestFiles::TempDir dir{L"startup"};
    const CString source = dir / L"小さい.txt";
    const CString destination = dir / L"dst";
    ASSERT_TRUE(TestFiles::WriteBytes(source, "one small file"));
    ASSERT_TRUE(TestFiles::MakeFolders(destination));

    const DebuggedRun run = RunDebugged(Quote(TestFiles::ExeFolder() + L"\\Swiftlet.exe") + L" " + Quote(source) + L" " +
                                Quote(destination));
    ASSERT_TRUE(run.started);
    EXPECT_EQ(0u, run.exitCode);
    std::string copied;
    EXPECT_TRUE(TestFiles::ReadBytes(destination + L"\\小さい.txt", copied) && copied == "one small file");
    ASSERT_TRUE(run.libraries.count(L"kernel32.dll")) << "the loads were seen";
    for (const wchar_t* unwanted : {L"user32.dll", L"gdi32.dll", L"comctl32.dll", L"uxtheme.dll", L"shell32.dll",
                                    L"shlwapi.dll", L"ole32.dll", L"oleaut32.dll", L"gdiplus.dll", L"imm32.dll"})
        EXPECT_EQ(0u, run.libraries.count(unwanted)) << NarrowString(unwanted, CP_UTF8);
    // The libraries the program keeps for its whole run are loaded as before.
    EXPECT_TRUE(run.libraries.count(L"psapi.dll"));
}
