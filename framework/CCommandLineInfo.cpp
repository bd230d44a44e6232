#include "framework/CCommandLineInfo.h"

#include <shellapi.h>

void CCommandLineInfo::ParseParam(const wchar_t* param, BOOL flag, BOOL) {
    if (flag || !m_strFileName.IsEmpty())
        return;
    m_strFileName = param;
    m_nShellCommand = FileOpen;
}

void AfxParseCommandLine(CCommandLineInfo& info, int argc, const wchar_t* const* argv) {
    if (!argv)
        return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* param = argv[i] ? argv[i] : L"";
        BOOL flag = FALSE;
        if (param[0] == L'/' || param[0] == L'-') {
            flag = TRUE;
            ++param;
        }
        info.ParseParam(param, flag, i + 1 == argc ? TRUE : FALSE);
    }
}

void AfxParseCommandLine(CCommandLineInfo& info, const wchar_t* commandLine) {
    if (!commandLine)
        return;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine, &argc);
    if (!argv)
        return;
    try {
        AfxParseCommandLine(info, argc, argv);
    } catch (...) {
        LocalFree(argv);
        throw;
    }
    LocalFree(argv);
}
