#include "console/ConsoleApp.h"

#include <objbase.h>

#include <clocale>
#include <memory>

#include "console/ConsoleCopyCore.h"
#include "console/ConsoleEventHandler.h"
#include "console/ConsoleInput.h"
#include "console/ConsoleText.h"
#include "console/ConsoleVerifier.h"
#include "console/resource.h"
#include "control/ErrorText.h"
#include "engine/CopyException.h"
#include "engine/CreateCopyOptionCmdLine.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

// The program's string table.
constexpr UINT kPreparingFromTo = 3114;  // <a>%s</a> から <a>%s</a> に%sする準備をしています

// How often the status line is redrawn.
constexpr DWORD kStatusIntervalMs = 250;

std::atomic<ConsoleApp*> g_app{nullptr};

BOOL WINAPI OnConsoleSignal(DWORD signal) {
    ConsoleApp* app = g_app.load();
    if (!app)
        return FALSE;
    app->Interrupt();
    if (signal == CTRL_C_EVENT || signal == CTRL_BREAK_EVENT)
        return TRUE;
    // The console is going away and ends the process when this returns: give the job a
    // moment to remove its partial file and to say what it did.
    WaitForSingleObject(app->Finished(), 4000);
    return TRUE;
}

bool SamePath(const CString& a, const CString& b) { return a.CompareNoCase(b) == 0; }

bool Listed(const std::vector<ConsoleProblem>& problems, const CString& path) {
    for (const ConsoleProblem& problem : problems) {
        if (SamePath(problem.path, path))
            return true;
    }
    return false;
}

CString Loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

ConsoleApp::ConsoleApp() {
    interrupt = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    statusStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_app = this;
    SetConsoleCtrlHandler(&OnConsoleSignal, TRUE);
}

ConsoleApp::~ConsoleApp() {
    SetConsoleCtrlHandler(&OnConsoleSignal, FALSE);
    g_app = nullptr;
    StopStatus();
    for (HANDLE h : {interrupt, finished, statusStop}) {
        if (h)
            CloseHandle(h);
    }
}

void ConsoleApp::Interrupt() {
    SetEvent(interrupt);
    std::lock_guard<std::mutex> guard(handlerLock);
    if (handler)
        handler->RequestCancel();
}

void ConsoleApp::StartStatus(std::function<ConsoleProgress()> progress) {
    if (!out.IsTerminal())
        return;
    ResetEvent(statusStop);
    statusThread = std::thread([this, progress] {
        do {
            out.Status(FormatStatusLine(progress(), out.Width() - 1));
        } while (WaitForSingleObject(statusStop, kStatusIntervalMs) == WAIT_TIMEOUT);
    });
}

void ConsoleApp::StopStatus() {
    if (!statusThread.joinable())
        return;
    SetEvent(statusStop);
    statusThread.join();
    out.ClearStatus();
}

int ConsoleApp::Run(const std::vector<CString>& args) {
    ConsoleCommandLine command;
    if (command.Parse(args) != 1) {
        out.ErrorLine(command.error);
        out.ErrorLine(Loaded(IDS_CONSOLE_HELP_HINT));
        return kExitCommandLine;
    }
    if (command.help) {
        out.Line(Loaded(IDS_CONSOLE_USAGE));
        return kExitDone;
    }
    _wsetlocale(LC_ALL, L"");
    CoInitialize(nullptr);
    // Libraries are loaded by bare name, never from the folder the user copies from.
    SetDllDirectoryW(L"");
    // No sleep while any Swiftlet process runs.
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    const int code = RunJob(command);
    SetThreadExecutionState(ES_CONTINUOUS);
    CoUninitialize();
    SetEvent(finished);
    return code;
}

std::vector<CString> ConsoleApp::ExistingSources(const std::vector<CString>& sources, ConsoleSummary* summary) {
    std::vector<CString> existing;
    for (const CString& source : sources) {
        if (GetFileAttributesW(ToLongPath(source)) != INVALID_FILE_ATTRIBUTES) {
            existing.push_back(source);
            continue;
        }
        // One missing source would end the whole job's enumeration with a general
        // error; the user hears which one it is and the others are copied.
        const DWORD error = GetLastError();
        summary->problems.push_back({source, GetSystemErrorMessage(error)});
    }
    return existing;
}

int ConsoleApp::RunJob(const ConsoleCommandLine& command) {
    ConsoleSummary summary;
    summary.move = command.move;
    std::vector<CString> requested;
    for (const CString& source : command.sources)
        requested.push_back(GetFullPath(source));
    const CString destination = GetFullPath(command.destination);

    CString from = requested.empty() ? CString() : GetParentFolder(requested[0]);
    if (from.IsEmpty() && !requested.empty())
        from = requested[0];
    CString start;
    start.Format(kPreparingFromTo, from.GetString(), destination.GetString(),
                 GetOperationText(command.move).GetString());
    out.Line(ConsoleText::WithoutLinks(start));

    std::vector<CString> sources = ExistingSources(requested, &summary);
    if (sources.empty() || WaitForSingleObject(interrupt, 0) == WAIT_OBJECT_0) {
        summary.cancelled = !sources.empty();
        return Finish(summary);
    }

    int move = command.move;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move);
    if (builder.Create() != 1) {
        const CopyException nothing(kCopyNothingToDo);
        summary.errors.push_back(GetErrorText(&nothing, command.move));
        return Finish(summary);
    }

    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    std::unique_ptr<ConsoleInput> questions;
    if (out.IsTerminal() && GetConsoleMode(input, &mode))
        questions.reset(new ConsoleInput(input, interrupt));
    ConsoleEventHandler events(out, questions.get(), command.ifExists, command.move);
    ConsoleCopyCore core;
    core.option = builder.option;
    // A verified move copies first and deletes only what compared equal afterwards.
    if (command.verify)
        core.option.move = 0;
    core.handler = &events;
    {
        std::lock_guard<std::mutex> guard(handlerLock);
        handler = &events;
        if (WaitForSingleObject(interrupt, 0) == WAIT_OBJECT_0)
            events.RequestCancel();
    }
    StartStatus([&events] { return events.Progress(); });
    core.Run();
    StopStatus();
    {
        std::lock_guard<std::mutex> guard(handlerLock);
        handler = nullptr;
    }

    const ConsoleJobOutcome& outcome = core.outcome;
    summary.cancelled = events.Cancelled() ? 1 : 0;
    summary.items = outcome.items;
    summary.bytes = outcome.bytes;
    summary.totalMs = events.TotalMs();
    summary.copyMs = events.CopyMs();
    summary.errors = events.Errors();
    for (const ConsoleProblem& problem : events.Problems())
        summary.problems.push_back(problem);
    // Items the engine left out on an answer given for all items were never asked about.
    const CString forAll = Loaded(IDS_CONSOLE_SKIPPED_FOR_ALL);
    for (const auto& skipped : outcome.skipped) {
        if (!Listed(summary.problems, skipped.first) && !Listed(summary.problems, skipped.second))
            summary.problems.push_back({skipped.second, forAll});
    }
    for (const CString& kept : outcome.sourcesKept) {
        if (!Listed(summary.problems, kept))
            summary.problems.push_back({kept, forAll});
    }
    if (command.move && !command.verify && outcome.ran) {
        // Sources a move renamed on their volume appear in no tree.
        for (const CString& source : core.option.sources) {
            bool copied = false;
            for (const CString& treeSource : outcome.treeSources)
                copied = copied || SamePath(treeSource, source);
            if (!copied && GetFileAttributesW(ToLongPath(source)) == INVALID_FILE_ATTRIBUTES)
                ++summary.renamed;
        }
    }
    if (command.verify && outcome.ran) {
        if (summary.cancelled)
            summary.sourcesKept = command.move;
        else
            RunVerification(command, outcome, core.option.retryCount, core.option.retryWaitMs, &summary);
    }
    return Finish(summary);
}

void ConsoleApp::RunVerification(const ConsoleCommandLine& command, const ConsoleJobOutcome& outcome,
                                 uint32_t retryCount, uint32_t retryWaitMs, ConsoleSummary* summary) {
    ConsoleVerifier verifier(interrupt);
    int phase = kProgressVerifying;
    StartStatus([&verifier, &phase] {
        ConsoleProgress progress;
        progress.phase = phase;
        progress.bytesDone = verifier.bytesDone.load();
        progress.bytesTotal = verifier.bytesTotal.load();
        progress.itemsDone = verifier.itemsDone.load();
        progress.itemsTotal = verifier.itemsTotal.load();
        progress.name = ConsoleText::ShownName(verifier.Current());
        return progress;
    });
    std::vector<char> equal;
    int result = verifier.VerifyAll(outcome, command.move == 1, &equal, &summary->problems);
    summary->verified = 1;
    summary->verifiedFiles = verifier.filesCompared;
    summary->verifiedBytes = verifier.bytesCompared;
    summary->mismatches = verifier.mismatches;
    if (result != kCompareStopped && command.move) {
        phase = kProgressRemoving;
        result = verifier.RemoveSources(outcome, equal, retryCount, retryWaitMs, &summary->problems);
    } else if (result == kCompareStopped && command.move) {
        summary->sourcesKept = 1;
    }
    StopStatus();
    if (result == kCompareStopped)
        summary->cancelled = 1;
}

int ConsoleApp::Finish(const ConsoleSummary& summary) {
    for (const CString& line : FormatSummary(summary))
        out.Line(line);
    return GetExitCode(summary);
}

}  // namespace Swiftlet
