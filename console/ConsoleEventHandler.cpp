#include "console/ConsoleEventHandler.h"

#include "console/ConsoleCommandLine.h"
#include "console/ConsoleText.h"
#include "control/ErrorText.h"
#include "engine/CopyException.h"

namespace Swiftlet {

ConsoleEventHandler::ConsoleEventHandler(ConsoleOutput& out, ConsoleInput* input, int ifExists, int move)
    : out(out), input(input), ifExists(ifExists), move(move) {}

ConsoleEventHandler::~ConsoleEventHandler() {
    // An engine thread still inside Update must leave before the handler goes.
    while (busy.load() != 0)
        Sleep(1);
}

void ConsoleEventHandler::Dispatch() {
    switch (event->eventCode) {
    case kEventFindBegin: {
        std::lock_guard<std::mutex> guard(lock);
        progress.phase = kProgressFinding;
        find = event->findStatus;
        break;
    }
    case kEventFindEnd: {
        std::lock_guard<std::mutex> guard(lock);
        find = nullptr;
        break;
    }
    case kEventCopyBegin:
    case kEventProgress:
    case kEventReadProgress:
    case kEventWriteProgress:
        CaptureProgress();
        break;
    case kEventAlgorithmEnd:
        CaptureProgress();
        totalMs = event->status.totalElapsedMs;
        copyMs = event->status.copyElapsedMs;
        break;
    case kEventError:
        OnError();
        break;
    case kEventQuestion:
        OnQuestion();
        break;
    default:
        break;
    }
    // A Ctrl+C that came before the engine handed over its cancel event.
    if (cancelRequested.load() && (event->eventCode == kEventFindBegin || event->eventCode == kEventCopyBegin))
        Cancel();
}

void ConsoleEventHandler::CaptureProgress() {
    const CoreDisplayStatus& s = event->status;
    std::lock_guard<std::mutex> guard(lock);
    progress.phase = kProgressCopying;
    progress.weightedTotal = s.weightedBytes.total;
    progress.weightedDone = s.weightedBytes.written;
    progress.bytesTotal = s.bytes.total;
    progress.bytesDone = s.bytes.written;
    progress.speed = CoreDisplayStatus::GetSpeed(s.writeLaps);
    unsigned long long seconds = 0;
    progress.remainingKnown = s.GetRemainingSeconds(&seconds) == 1 ? 1 : 0;
    progress.remaining = seconds;
    if (!s.writeSourcePath.IsEmpty())
        progress.name = ConsoleText::ShownName(s.writeSourcePath);
}

ConsoleProgress ConsoleEventHandler::Progress() const {
    std::lock_guard<std::mutex> guard(lock);
    ConsoleProgress copy = progress;
    if (find) {
        copy.itemsFound = find->itemsFound.load();
        copy.bytesFound = find->bytesFound.load();
    }
    if (cancelRequested.load())
        copy.phase = kProgressCancelling;
    return copy;
}

void ConsoleEventHandler::OnError() {
    const Exception* e = event->status.exception;
    const CopyException* copy = AsCopyException(e);
    std::lock_guard<std::mutex> guard(lock);
    if (copy && copy->type == kCopyCancelled) {
        cancelled = true;
        return;
    }
    CString text = GetErrorText(e, move);
    // The window shows nothing for these (it asks, or hands the job over); a console
    // job that still ended on one did not do everything, and must not say it did.
    if (text.IsEmpty())
        text = GetErrorText(nullptr, move);
    const CString path = GetExceptionPath(e);
    errors.push_back(path.IsEmpty() ? text : path + L": " + text);
}

void ConsoleEventHandler::OnQuestion() {
    const ConsoleQuestion question(event->status.exception, move);
    int applyToAll = 0;
    int answer;
    if (cancelRequested.load()) {
        answer = kAnswerCancel;
    } else if (input == nullptr || (question.IsFileConflict() && ifExists != kIfExistsAsk)) {
        answer = question.Decide(ifExists == kIfExistsAsk ? kIfExistsSkip : ifExists);
    } else {
        answer = Ask(question, &applyToAll);
    }
    event->answer = answer;
    event->applyToAll = applyToAll;
    if (answer == kAnswerSkip) {
        std::lock_guard<std::mutex> guard(lock);
        problems.insert(problems.end(), question.skipped.begin(), question.skipped.end());
    }
}

int ConsoleEventHandler::Ask(const ConsoleQuestion& question, int* applyToAll) {
    out.Hold(true);
    for (const CString& line : question.text)
        out.Line(line);
    int answer = 0;
    while (answer == 0) {
        input->Discard();
        out.Prompt(question.ChoicesLine());
        CString typed;
        if (!input->ReadLine(out, &typed)) {
            out.Prompt(L"\n");
            answer = kAnswerCancel;  // Ctrl+C while asked
            break;
        }
        answer = question.AnswerFor(typed, applyToAll);
    }
    out.Hold(false);
    return answer;
}

void ConsoleEventHandler::RequestCancel() {
    cancelRequested = true;
    Cancel();
}

std::vector<CString> ConsoleEventHandler::Errors() const {
    std::lock_guard<std::mutex> guard(lock);
    return errors;
}

std::vector<ConsoleProblem> ConsoleEventHandler::Problems() const {
    std::lock_guard<std::mutex> guard(lock);
    return problems;
}

}  // namespace Swiftlet
