#pragma once
// Everything the console program prints. On a terminal (a console) one status line is
// redrawn in place and ordinary lines are written above it; elsewhere (a file, a pipe)
// only whole lines are written, as UTF-8, without control characters. Safe to call from
// the job's threads, the status thread and the control handler at once.
#include <windows.h>

#include <mutex>

#include "framework/CString.h"

namespace Swiftlet {

class ConsoleOutput {
public:
    // Looks at the process's standard handles.
    ConsoleOutput();
    // Writes to the given handles instead (tests); a handle is a terminal when
    // GetConsoleMode accepts it.
    ConsoleOutput(HANDLE output, HANDLE error);
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Standard output is a terminal: a status line and questions can be shown there.
    bool IsTerminal() const { return outputIsConsole; }
    // Columns of the terminal's window (80 when it cannot be read).
    int Width() const;

    // A whole line on standard output, above the status line.
    void Line(const CString& text);
    // A whole line on standard error (usage and command-line errors).
    void ErrorLine(const CString& text);
    // Replaces the status line; nothing when not a terminal or while held.
    void Status(const CString& text);
    // Removes the status line.
    void ClearStatus();
    // While held (a question is being asked) the status line stays away.
    void Hold(bool held);
    // Text without a line break (a question's prompt and what the user types).
    void Prompt(const CString& text);

private:
    void Write(HANDLE handle, bool console, const CString& text);
    void ClearStatusLocked();

    HANDLE output;
    HANDLE error;
    bool outputIsConsole = false;
    bool errorIsConsole = false;
    std::mutex lock;
    int statusWidth = 0;  // columns of the status line now shown
    bool held = false;
};

}  // namespace Swiftlet
