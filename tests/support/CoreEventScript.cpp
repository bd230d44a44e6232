#include "tests/support/CoreEventScript.h"

#include <algorithm>

#include "engine/CopyException.h"

namespace Swiftlet {

CoreEventScriptHandler::CoreEventScriptHandler(int defaultAnswer) : defaultAnswer(defaultAnswer) {}

CoreEventScriptHandler::~CoreEventScriptHandler() {
    // An engine thread still inside Update must leave before the handler goes.
    while (busy.load() != 0)
        Sleep(1);
}

CoreEventScriptHandler& CoreEventScriptHandler::Answer(int kind, int answer, int times, int applyToAll,
                                                       DWORD error) {
    Rule rule;
    rule.kind = kind;
    rule.error = error;
    rule.answer = answer;
    rule.applyToAll = applyToAll;
    rule.times = times;
    std::lock_guard<std::mutex> guard(lock);
    rules.push_back(rule);
    return *this;
}

CoreEventScriptHandler& CoreEventScriptHandler::AnswerSelection(const SelectionMap& selection, int times) {
    Rule rule;
    rule.kind = kQuestionOverwriteFiles;
    rule.answer = kAnswerSelection;
    rule.times = times;
    rule.selection = selection;
    std::lock_guard<std::mutex> guard(lock);
    rules.push_back(rule);
    return *this;
}

CoreEventRecord CoreEventScriptHandler::Describe(const CoreEvent& e) const {
    CoreEventRecord record;
    record.code = e.eventCode;
    if (e.eventCode == kEventReadProgress || e.eventCode == kEventWriteProgress || e.eventCode == kEventProgress) {
        record.bytesRead = e.status.bytes.read;
        record.bytesWritten = e.status.bytes.written;
        record.writeDestinationPath = e.status.writeDestinationPath;
    }
    if (e.eventCode == kEventAlgorithmEnd) {
        record.totalMs = e.status.totalElapsedMs;
        record.copyMs = e.status.copyElapsedMs;
    }
    if (e.eventCode != kEventError && e.eventCode != kEventQuestion)
        return record;
    const Exception* exception = e.status.exception;
    if (const CopyException* copy = AsCopyException(exception)) {
        record.copyType = copy->type;
        if (auto* retry = dynamic_cast<const CopyExceptionRetryFile*>(copy)) {
            record.questionKind = kQuestionRetry;
            record.error = retry->error ? retry->error->error : 0;
            record.path = retry->error ? retry->error->path : retry->path;
        } else if (auto* overwrite = dynamic_cast<const CopyExceptionOverwrite*>(copy)) {
            record.questionKind = kQuestionOverwrite;
            record.path = overwrite->destinationPath;
        } else if (auto* encrypted = dynamic_cast<const CopyExceptionEncrypted*>(copy)) {
            record.questionKind = kQuestionEncrypted;
            record.path = encrypted->path;
        } else if (auto* files = dynamic_cast<const CopyExceptionOverwriteFiles*>(copy)) {
            record.questionKind = kQuestionOverwriteFiles;
            record.files = files->files;
        } else if (auto* space = dynamic_cast<const CopyExceptionNotFreeSpace*>(copy)) {
            record.missing = space->missing;
        }
    } else if (const WindowsFileException* file = AsWindowsFileException(exception)) {
        record.error = file->error;
        record.path = file->path;
    } else if (const WindowsException* windows = AsWindowsException(exception)) {
        record.error = windows->error;
    }
    return record;
}

int CoreEventScriptHandler::Choose(CoreEventRecord& record, int* applyToAll, SelectionMap* selection) {
    std::lock_guard<std::mutex> guard(lock);
    for (Rule& rule : rules) {
        if (rule.times == 0)
            continue;
        if (rule.kind != kQuestionAny && rule.kind != record.questionKind)
            continue;
        if (rule.error != 0 && rule.error != record.error)
            continue;
        if (rule.times > 0)
            --rule.times;
        *applyToAll = rule.applyToAll;
        *selection = rule.selection;
        return rule.answer;
    }
    *applyToAll = 0;
    return defaultAnswer;
}

void CoreEventScriptHandler::Dispatch() {
    CoreEvent& e = *event;
    CoreEventRecord record = Describe(e);
    if (e.eventCode == kEventQuestion) {
        int applyToAll = 0;
        SelectionMap selection;
        record.answer = Choose(record, &applyToAll, &selection);
        if (record.answer == kAnswerSelection)
            e.SetSelection(selection);
        e.answer = record.answer;
        e.applyToAll = applyToAll;
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        records.push_back(record);
    }
    delivered.notify_all();
    if (onEvent)
        onEvent(record);
}

std::vector<CoreEventRecord> CoreEventScriptHandler::Records() const {
    std::lock_guard<std::mutex> guard(lock);
    return records;
}

std::vector<int> CoreEventScriptHandler::Codes() const {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<int> codes;
    for (const CoreEventRecord& record : records)
        codes.push_back(record.code);
    return codes;
}

int CoreEventScriptHandler::Count(int code) const {
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [code](const CoreEventRecord& r) { return r.code == code; }));
}

bool CoreEventScriptHandler::WaitFor(int code, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> guard(lock);
    return delivered.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        return std::any_of(records.begin(), records.end(), [code](const CoreEventRecord& r) { return r.code == code; });
    });
}

}  // namespace Swiftlet
