#pragma once
// Plays the processes at the other end of a pipe: the server's process runs as whatever
// user and in whatever session a test says, which a machine with one user cannot show.
#include <optional>

#include "ipc/PipePeers.h"

namespace PipeTest {

class PlayedPeers : public IPipePeers {
public:
    // An id no real process has (ids are multiples of 4).
    static constexpr DWORD kServerId = 0x7FFFFFF1;

    // The server runs as this process's user in its session unless told otherwise.
    PlayedPeers() {
        PipeIdentity::Sid own;
        PipeIdentity::CurrentUser(own);
        ownUser = own;
        serverUser = own;
        ProcessIdToSessionId(GetCurrentProcessId(), &ownSession);
        serverSession = ownSession;
        SystemPipePeers system;
        CString image;
        if (system.ProcessImagePath(GetCurrentProcessId(), image)) ownImage = image;
        serverImage = ownImage;
    }

    bool ServerProcessId(HANDLE, DWORD& id) override {
        if (!serverKnown) return false;
        id = kServerId;
        return true;
    }
    bool ProcessUser(DWORD id, PipeIdentity::Sid& sid) override {
        const std::optional<PipeIdentity::Sid>& user = id == kServerId ? serverUser : ownUser;
        if (!user) return false;
        sid = *user;
        return true;
    }
    bool ProcessSession(DWORD id, DWORD& session) override {
        session = id == kServerId ? serverSession : ownSession;
        return true;
    }
    bool ProcessImagePath(DWORD id, CString& path) override {
        const std::optional<CString>& image = id == kServerId ? serverImage : ownImage;
        if (!image) return false;
        path = *image;
        return true;
    }

    // SYSTEM, as a service runs.
    static PipeIdentity::Sid System() {
        BYTE sid[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof sid;
        CreateWellKnownSid(WinLocalSystemSid, nullptr, sid, &size);
        return PipeIdentity::Sid(sid, sid + size);
    }

    bool serverKnown = true;
    std::optional<PipeIdentity::Sid> serverUser;  // nullopt: the system cannot tell
    DWORD serverSession = 0;
    std::optional<CString> serverImage;  // this process's own program unless told otherwise

private:
    std::optional<CString> ownImage;
    std::optional<PipeIdentity::Sid> ownUser;
    DWORD ownSession = 0;
};

}  // namespace PipeTest
