// Plays the elevated Swiftlet in the hand-over tests: runs the elevated process's whole
// side (the job and the status from the pipe, the copy, the forwarded events and the
// polls) exactly as Swiftlet.exe does, except that it takes the test program that serves
// the pipe for its own program, which a real elevated Swiftlet never would.
//
//   ElevatedHost.exe /p PIPE
//
// Exit code 0 when a job ran, 1 when none did, 2 for a wrong command line.
#include <windows.h>

#include "control/CopyCore.h"
#include "ipc/CopyAlgorithmMultiThreadElevateClient.h"

namespace {

class TestProgramPeers : public SystemPipePeers {
public:
    bool ProcessImagePath(DWORD, CString& path) override {
        path = L"Swiftlet.exe";
        return true;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || lstrcmpiW(argv[1], L"/p") != 0) return 2;
    TestProgramPeers peers;
    Swiftlet::CopyCore core;
    return Swiftlet::RunElevatedCopy(argv[2], core, &peers) == 1 ? 0 : 1;
}
