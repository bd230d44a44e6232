#pragma once
// Who may open a server pipe: a DACL built from well-known SIDs and the user's own SID.
// Never from account names: some Windows languages translate them, and there no pipe
// could be created at all.
#include <windows.h>

#include "foundation/noncopyable.h"

enum class PipeAccess {
    // Only the user this process runs as, and SYSTEM: a channel between the processes
    // of one user.
    kCurrentUser,
    // Full control for SYSTEM and Administrators (and, inherited, for the creator's
    // owner), read and write for every interactive user: the disk cache service, which
    // runs as SYSTEM and answers every user's Swiftlet.
    kInteractiveUsers,
};

class PipeAccessList : private noncopyable {
public:
    explicit PipeAccessList(PipeAccess access);
    // Keeps the caller's last error: it is taken down right after CreateNamedPipeW.
    ~PipeAccessList();

    // False when the list could not be built: then no pipe is to be created, since one
    // without it would have the default access of the creator's token.
    bool IsValid() const { return m_acl != nullptr; }
    // Not inheritable; valid while this object lives.
    SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }

private:
    bool Build(PipeAccess access);

    PACL m_acl = nullptr;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
};
