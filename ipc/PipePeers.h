#pragma once
// Who is at the other end of a pipe. A client that is about to hand something over asks
// whether the process serving the pipe runs as its own user: anybody can create a pipe
// of a name that is free, and a job sent there would run with the other user's rights.
#include <windows.h>

#include <vector>

#include "foundation/noncopyable.h"
#include "framework/CString.h"

namespace PipeIdentity {

// A SID copied out of a token.
using Sid = std::vector<BYTE>;

// The user of a token; false when the token cannot be read.
bool TokenUser(HANDLE token, Sid& sid);
// The user this process runs as.
bool CurrentUser(Sid& sid);

}  // namespace PipeIdentity

// The questions about processes that the check below asks the system. The system's
// answers come from SystemPipePeers; tests play processes of other users and sessions.
class IPipePeers : private noncopyable {
public:
    virtual ~IPipePeers() = default;
    // The process that created the server end of a client's pipe.
    virtual bool ServerProcessId(HANDLE pipe, DWORD& processId) = 0;
    virtual bool ProcessUser(DWORD processId, PipeIdentity::Sid& sid) = 0;
    virtual bool ProcessSession(DWORD processId, DWORD& sessionId) = 0;
    // The full path of the program file the process runs.
    virtual bool ProcessImagePath(DWORD processId, CString& path) = 0;
};

class SystemPipePeers : public IPipePeers {
public:
    // GetNamedPipeServerProcessId exists from Vista on; without it nothing can be known
    // about the server, and the answer is false.
    bool ServerProcessId(HANDLE pipe, DWORD& processId) override;
    bool ProcessUser(DWORD processId, PipeIdentity::Sid& sid) override;
    bool ProcessSession(DWORD processId, DWORD& sessionId) override;
    // QueryFullProcessImageNameW exists from Vista on; without it the answer is false.
    bool ProcessImagePath(DWORD processId, CString& path) override;
};

// True only when the process serving a client's pipe runs as the user of this process,
// in this process's session. A question the system does not answer counts against the
// server: the caller then keeps what it meant to hand over.
bool IsServerOfThisUser(HANDLE pipe, IPipePeers& peers);

// The same, and the server's process runs the very program file this process runs: the
// user's own Swiftlet, from this program's folder, and no other program of the user's.
bool IsServerOwnProgram(HANDLE pipe, IPipePeers& peers);
