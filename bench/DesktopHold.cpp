// A windowed program's process under Wine, for the copy benchmark.
//
//   DesktopHold.exe /hold    joins the desktop and stays until its standard input closes
//   DesktopHold.exe /start   joins the desktop and ends: what starting any windowed
//                            program costs before it does its own work
//
// Windows always has a desktop. Wine makes one (its explorer.exe /desktop process) for the
// first program that asks the window system for anything and closes it about a second
// after the last such program has ended, so every benchmark run of a windowed program
// would pay for starting it again. The benchmark holds it open with /hold, as a user's
// session does.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    const bool hold = argc == 2 && !_wcsicmp(argv[1], L"/hold");
    if (argc != 2 || (!hold && _wcsicmp(argv[1], L"/start"))) {
        fwprintf(stderr, L"usage: DesktopHold /hold | /start\n");
        return 2;
    }
    if (!GetDesktopWindow()) return 1;
    if (hold) {
        char buffer[256];
        DWORD read = 0;
        HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        while (ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        }
    }
    return 0;
}
