#include "console/ConsoleInput.h"

#include "console/ConsoleText.h"

namespace Swiftlet {

ConsoleInput::ConsoleInput(HANDLE input, HANDLE interrupt) : input(input), interrupt(interrupt) {
    if (GetConsoleMode(input, &savedMode))
        modeChanged = SetConsoleMode(input, ENABLE_PROCESSED_INPUT) != 0;
}

ConsoleInput::~ConsoleInput() {
    if (modeChanged)
        SetConsoleMode(input, savedMode);
}

void ConsoleInput::Discard() { FlushConsoleInputBuffer(input); }

bool ConsoleInput::ReadLine(ConsoleOutput& out, CString* line) {
    line->Empty();
    for (;;) {
        HANDLE handles[] = {interrupt, input};
        const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1)
            return false;
        INPUT_RECORD records[32];
        DWORD count = 0;
        if (!ReadConsoleInputW(input, records, 32, &count))
            return false;
        for (DWORD i = 0; i < count; ++i) {
            if (records[i].EventType != KEY_EVENT || !records[i].Event.KeyEvent.bKeyDown)
                continue;
            const wchar_t ch = records[i].Event.KeyEvent.uChar.UnicodeChar;
            if (ch == L'\r' || ch == L'\n') {
                out.Prompt(L"\n");
                return true;
            }
            if (ch == L'\b') {
                if (!line->IsEmpty()) {
                    const int width = ConsoleText::CharWidth((*line)[line->GetLength() - 1]);
                    line->Truncate(line->GetLength() - 1);
                    const CString back(L'\b', width > 0 ? width : 1);
                    out.Prompt(back + CString(L' ', width > 0 ? width : 1) + back);
                }
            } else if (ch >= 0x20) {
                *line += ch;
                out.Prompt(CString(ch));
            }
        }
    }
}

}  // namespace Swiftlet
