#include "console/ConsoleCommandLine.h"

#include "console/resource.h"

namespace Swiftlet {

namespace {

bool Is(const CString& arg, const wchar_t* text) { return arg.CompareNoCase(text) == 0; }

}  // namespace

int ConsoleCommandLine::ParseOption(const CString& arg) {
    if (Is(arg, L"-m") || Is(arg, L"/m") || Is(arg, L"--move")) {
        move = 1;
    } else if (Is(arg, L"--verify")) {
        verify = 1;
    } else if (Is(arg, L"--help") || Is(arg, L"-h") || arg == L"/?") {
        help = 1;
    } else if (Is(arg, L"--console")) {
        // The shell script's choice of front end; nothing to do here.
    } else if (arg.GetLength() >= 12 && Is(arg.Left(12), L"--if-exists=")) {
        const CString value = arg.Mid(12);
        if (Is(value, L"skip")) {
            ifExists = kIfExistsSkip;
        } else if (Is(value, L"overwrite")) {
            ifExists = kIfExistsOverwrite;
        } else if (Is(value, L"keep-both")) {
            ifExists = kIfExistsKeepBoth;
        } else {
            error.Format(IDS_CONSOLE_BAD_IF_EXISTS, value.GetString());
            return 0;
        }
    } else {
        error.Format(IDS_CONSOLE_UNKNOWN_OPTION, arg.GetString());
        return 0;
    }
    return 1;
}

int ConsoleCommandLine::Parse(const std::vector<CString>& args) {
    std::vector<CString> paths;
    bool optionsEnded = false;
    for (const CString& arg : args) {
        if (!optionsEnded && arg == L"--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.GetLength() > 1 && (arg[0] == L'-' || arg == L"/?" || Is(arg, L"/m"))) {
            // Windows paths never begin with "-"; "/" begins only the two flags Windows
            // users type.
            if (ParseOption(arg) != 1)
                return 0;
        } else if (arg.IsEmpty()) {
            error.Format(IDS_CONSOLE_BAD_COMMAND_LINE, L"\"\"");
            return 0;
        } else {
            paths.push_back(arg);
        }
    }
    if (help)
        return 1;
    if (paths.size() < 2) {
        error.LoadString(IDS_CONSOLE_NEED_PATHS);
        return 0;
    }
    destination = paths.back();
    paths.pop_back();
    sources = paths;
    return 1;
}

}  // namespace Swiftlet
