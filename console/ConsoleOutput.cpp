#include "console/ConsoleOutput.h"

#include <string>

#include "console/ConsoleText.h"

namespace Swiftlet {

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

ConsoleOutput::ConsoleOutput() : ConsoleOutput(GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)) {}

ConsoleOutput::ConsoleOutput(HANDLE output, HANDLE error)
    : output(output), error(error), outputIsConsole(IsConsole(output)), errorIsConsole(IsConsole(error)) {}

int ConsoleOutput::Width() const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!outputIsConsole || !GetConsoleScreenBufferInfo(output, &info))
        return 80;
    const int width = info.srWindow.Right - info.srWindow.Left + 1;
    return width > 10 ? width : 80;
}

void ConsoleOutput::Write(HANDLE handle, bool console, const CString& text) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.IsEmpty())
        return;
    DWORD written = 0;
    if (console) {
        // The console converts to whatever the terminal shows (UTF-8 under Wine).
        WriteConsoleW(handle, text.GetString(), static_cast<DWORD>(text.GetLength()), &written, nullptr);
        return;
    }
    // Files and pipes get UTF-8, which is what the scripts and terminals reading them
    // expect; the ANSI code page would lose every name it cannot spell.
    const std::string bytes = NarrowString(text, CP_UTF8);
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0 && WriteFile(handle, data, static_cast<DWORD>(left), &written, nullptr) && written > 0) {
        data += written;
        left -= written;
    }
}

void ConsoleOutput::ClearStatusLocked() {
    if (statusWidth == 0)
        return;
    Write(output, true, L"\r" + CString(L' ', statusWidth) + L"\r");
    statusWidth = 0;
}

void ConsoleOutput::Line(const CString& text) {
    std::lock_guard<std::mutex> guard(lock);
    ClearStatusLocked();
    Write(output, outputIsConsole, text + L"\n");
}

void ConsoleOutput::ErrorLine(const CString& text) {
    std::lock_guard<std::mutex> guard(lock);
    if (errorIsConsole)
        ClearStatusLocked();
    Write(error, errorIsConsole, text + L"\n");
}

void ConsoleOutput::Status(const CString& text) {
    if (!outputIsConsole)
        return;
    // One column short of the window: a line that reaches the last column wraps on some
    // terminals, and a wrapped line can no longer be redrawn in place.
    const CString shown = ConsoleText::KeepStart(text, Width() - 1);
    const int width = ConsoleText::DisplayWidth(shown);
    std::lock_guard<std::mutex> guard(lock);
    if (held)
        return;
    const int padding = statusWidth > width ? statusWidth - width : 0;
    CString line = L"\r" + shown + CString(L' ', padding);
    if (padding > 0)
        line += L"\r" + shown;
    Write(output, true, line);
    statusWidth = width;
}

void ConsoleOutput::ClearStatus() {
    std::lock_guard<std::mutex> guard(lock);
    if (outputIsConsole)
        ClearStatusLocked();
}

void ConsoleOutput::Hold(bool hold) {
    std::lock_guard<std::mutex> guard(lock);
    held = hold;
    if (hold && outputIsConsole)
        ClearStatusLocked();
}

void ConsoleOutput::Prompt(const CString& text) {
    std::lock_guard<std::mutex> guard(lock);
    Write(output, outputIsConsole, text);
}

}  // namespace Swiftlet
