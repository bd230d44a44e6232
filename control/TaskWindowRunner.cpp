#include "control/TaskWindowRunner.h"

#include <string>

#include "control/CopyCore.h"
#include "control/CoreEventHandler.h"
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

// Runs a job with nobody to ask: nothing is overwritten, an item that fails is left
// out, and both are reported, as are the errors that end a job (in the words of the
// error view).
class HeadlessHandler : public CoreEventHandler {
public:
    explicit HeadlessHandler(int move) : move(move) {}
    ~HeadlessHandler() override {
        while (busy.load() != 0)
            Sleep(1);
    }

    void Dispatch() override {
        const Exception* e = event->status.exception;
        if (event->eventCode == kEventError) {
            CString text = GetErrorText(e, move);
            if (const WindowsFileException* file = AsWindowsFileException(e))
                text = file->path + L": " + text;
            if (!text.IsEmpty())
                ReportLine(L"swiftlet: " + text);
        } else if (event->eventCode == kEventQuestion) {
            event->answer = kAnswerSkip;
            DescribeSkip(e);
        }
    }

private:
    static void DescribeSkip(const Exception* e) {
        CString line;
        if (auto* files = dynamic_cast<const CopyExceptionOverwriteFiles*>(e)) {
            for (const auto& file : files->files)
                ReportLine(L"swiftlet: exists, kept: " + file.second);
            return;
        }
        if (auto* retry = dynamic_cast<const CopyExceptionRetryFile*>(e)) {
            const DWORD error = retry->error ? retry->error->error : 0;
            line.Format(L"swiftlet: skipped %s: %s (%lu)",
                        (retry->error ? retry->error->path : retry->path).GetString(),
                        GetSystemErrorMessage(error).GetString(), error);
        } else if (auto* overwrite = dynamic_cast<const CopyExceptionOverwrite*>(e)) {
            line = L"swiftlet: exists, kept: " + overwrite->destinationPath;
        } else if (auto* encrypted = dynamic_cast<const CopyExceptionEncrypted*>(e)) {
            line = L"swiftlet: encrypted, skipped: " + encrypted->path;
        } else {
            return;
        }
        ReportLine(line);
    }

    int move;
};

}  // namespace

int RunTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag) {
    int move = flag && *flag == 1 ? 1 : 0;
    CreateCopyOptionCmdLine builder(&sources, &destination, &move);
    if (builder.Create() != 1)
        return 0;

    // Until the task window shows jobs, the job runs here without one.
    HeadlessHandler handler(move);
    CopyCore core;
    core.option = builder.option;
    core.handler = &handler;
    core.Run();
    return 1;
}

}  // namespace Swiftlet
