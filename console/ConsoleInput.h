#pragma once
// Reads the user's answer to a question from the console, a line at a time, in a way a
// Ctrl+C can interrupt: a plain ReadConsoleW does not return when the control handler
// runs, and the job would wait for an answer forever.
#include <windows.h>

#include "console/ConsoleOutput.h"
#include "framework/CString.h"

namespace Swiftlet {

class ConsoleInput {
public:
    // input: the console's input handle; interrupt: an event that ends a read (not owned).
    // Until the object goes, keys come one by one and are not echoed by the console (or
    // by the terminal behind it): a key pressed while a job copies does not break the
    // status line, and the answer is echoed here. Ctrl+C stays a signal.
    ConsoleInput(HANDLE input, HANDLE interrupt);
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // Throws away what was typed before the question was shown, so that no stray key
    // answers it.
    void Discard();
    // Reads one line, echoing what is typed on out; false when interrupted or when the
    // console cannot be read.
    bool ReadLine(ConsoleOutput& out, CString* line);

private:
    HANDLE input;
    HANDLE interrupt;
    DWORD savedMode = 0;
    bool modeChanged = false;
};

}  // namespace Swiftlet
