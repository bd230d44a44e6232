// SwiftletConsole.exe: Swiftlet's copy and move from a terminal or a script.
#include <windows.h>

#include <vector>

#include "console/ConsoleApp.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<CString> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(CString(argv[i]));
    Swiftlet::ConsoleApp app;
    return app.Run(args);
}
