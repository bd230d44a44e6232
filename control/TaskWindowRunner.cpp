#include "control/TaskWindowRunner.h"

#include <string>

#include "control/CopyCore.h"
#include "control/CoreEventScript.h"
#include "control/ErrorText.h"
#include "engine/CopyException.h"
#include "engine/CreateCopyOptionCmdLine.h"

namespace Swiftlet {

namespace {

// One line on the standard error stream, when the process has one (a console, or the
// terminal Wine was started from).
void ReportLine(const CString& line) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    std::string text = NarrowString(line + L"\n", CP_UTF8);
    DWORD written = 0;
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

CString SystemMessage(DWORD error) {
    wchar_t buffer[1024] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  0x400, buffer, 1024, nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n'))
        buffer[--length] = 0;
    return CString(buffer);
}

void Describe(const CoreEventRecord& record) {
    CString line;
    if (record.code == kEventQuestion) {
        switch (record.questionKind) {
            case kQuestionOverwriteFiles:
                for (const auto& file : record.files)
                    ReportLine(L"swiftlet: exists, kept: " + file.second);
                return;
            case kQuestionRetry:
                line.Format(L"swiftlet: skipped %s: %s (%lu)", record.path.GetString(),
                            SystemMessage(record.error).GetString(), record.error);
                break;
            case kQuestionOverwrite:
                line = L"swiftlet: exists, kept: " + record.path;
                break;
            default:
                line = L"swiftlet: encrypted, skipped: " + record.path;
                break;
        }
    } else {
        return;
    }
    ReportLine(line);
}

// Reports the errors that end a job in the words the error view uses.
class HeadlessHandler : public CoreEventScriptHandler {
public:
    explicit HeadlessHandler(int move) : CoreEventScriptHandler(kAnswerSkip), move(move) {}

    void Dispatch() override {
        if (event->eventCode == kEventError) {
            CString text = GetErrorText(event->status.exception, move);
            if (const WindowsFileException* file = AsWindowsFileException(event->status.exception))
                text = file->path + L": " + text;
            if (!text.IsEmpty())
                ReportLine(L"swiftlet: " + text);
        }
        CoreEventScriptHandler::Dispatch();
    }

private:
    int move;
};

}  // namespace

int RunTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag) {
    int move = flag && *flag == 1 ? 1 : 0;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move);
    if (builder.Create() != 1)
        return 0;

    // Until the task window shows jobs, the job runs here without one. With nobody to
    // ask, nothing is overwritten and an item that fails is left out; every such case
    // is reported.
    HeadlessHandler handler(move);
    handler.onEvent = &Describe;
    CopyCore core;
    core.option = builder.option;
    core.handler = &handler;
    core.Run();
    return 1;
}

}  // namespace Swiftlet
