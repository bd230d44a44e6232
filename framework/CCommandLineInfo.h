#pragma once
// The command line as the framework hands it to the application, one argument at a
// time: an argument that starts with '/' or '-' is a flag and reaches ParseParam without
// that character; the last argument is marked as last.
#include <vector>

#include "framework/CObject.h"
#include "framework/CString.h"

class CCommandLineInfo : public CObject {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };

    CCommandLineInfo() = default;
    ~CCommandLineInfo() override = default;

    // param: the argument without its switch character when flag is TRUE.
    // The base keeps the first plain argument as the file to open and ignores flags.
    virtual void ParseParam(const wchar_t* param, BOOL flag, BOOL last);

    int m_nShellCommand = FileNew;
    CString m_strFileName;
};

// Runs info.ParseParam over arguments 1 .. argc-1 of argv (argument 0 is the program).
// Null entries are passed as empty arguments.
void AfxParseCommandLine(CCommandLineInfo& info, int argc, const wchar_t* const* argv);
// The same over the arguments of a command-line string split the system's way.
void AfxParseCommandLine(CCommandLineInfo& info, const wchar_t* commandLine);
