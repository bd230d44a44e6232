#pragma once
// The console program's command line:
//   [-m|--move] [--if-exists=skip|overwrite|keep-both] [--verify] [--help] SOURCE... DESTINATION
// Options may stand anywhere; "--" ends them. "/m" and "/?" are taken as on Windows.
#include <vector>

#include "framework/CString.h"

namespace Swiftlet {

// What happens to a file that already exists at the destination.
enum ConsoleIfExists : int {
    kIfExistsAsk = 0,  // not given: asked on a terminal, kept otherwise
    kIfExistsSkip = 1,
    kIfExistsOverwrite = 2,
    kIfExistsKeepBoth = 3,
};

class ConsoleCommandLine {
public:
    // The arguments after the program's name. 1 when they name a job or ask for the
    // usage; 0 with error set to what the user has to hear.
    int Parse(const std::vector<CString>& args);

    std::vector<CString> sources;
    CString destination;
    int move = 0;
    int verify = 0;
    int ifExists = kIfExistsAsk;
    int help = 0;
    CString error;

private:
    int ParseOption(const CString& arg);
};

}  // namespace Swiftlet
