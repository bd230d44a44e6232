#include "ipc/PipeAccessList.h"

#include <aclapi.h>

#include <algorithm>

#include "ipc/PipePeers.h"

namespace {

// Every right on a pipe; the interactive users get all but WRITE_DAC and WRITE_OWNER.
constexpr DWORD kFullControl = 0x1F01FF;
constexpr DWORD kReadWrite = 0x1301FF;
constexpr DWORD kInheritToAll = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr DWORD kInheritOnly = kInheritToAll | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;

struct Entry {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD access;
    DWORD inheritance;
};

bool WellKnown(WELL_KNOWN_SID_TYPE type, DWORD access, DWORD inheritance, Entry& entry) {
    DWORD size = sizeof entry.sid;
    entry.access = access;
    entry.inheritance = inheritance;
    return CreateWellKnownSid(type, nullptr, entry.sid, &size) != FALSE;
}

bool CurrentUser(DWORD access, Entry& entry) {
    PipeIdentity::Sid user;
    if (!PipeIdentity::CurrentUser(user) || user.size() > sizeof entry.sid) return false;
    std::copy(user.begin(), user.end(), entry.sid);
    entry.access = access;
    entry.inheritance = NO_INHERITANCE;
    return true;
}

}  // namespace

PipeAccessList::PipeAccessList(PipeAccess access) {
    if (!Build(access)) return;
    InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&m_descriptor, TRUE, m_acl, FALSE);
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}

PipeAccessList::~PipeAccessList() {
    const DWORD error = GetLastError();
    if (m_acl) LocalFree(m_acl);
    SetLastError(error);
}

bool PipeAccessList::Build(PipeAccess access) {
    Entry entries[4];
    ULONG count = 0;
    if (access == PipeAccess::kCurrentUser) {
        if (!CurrentUser(kFullControl, entries[0]) ||
            !WellKnown(WinLocalSystemSid, kFullControl, NO_INHERITANCE, entries[1]))
            return false;
        count = 2;
    } else {
        if (!WellKnown(WinCreatorOwnerSid, kFullControl, kInheritOnly, entries[0]) ||
            !WellKnown(WinLocalSystemSid, kFullControl, kInheritToAll, entries[1]) ||
            !WellKnown(WinBuiltinAdministratorsSid, kFullControl, kInheritToAll, entries[2]) ||
            !WellKnown(WinInteractiveSid, kReadWrite, kInheritToAll, entries[3]))
            return false;
        count = 4;
    }
    EXPLICIT_ACCESSW explicitAccess[4]{};
    for (ULONG i = 0; i < count; ++i) {
        explicitAccess[i].grfAccessPermissions = entries[i].access;
        explicitAccess[i].grfAccessMode = SET_ACCESS;
        explicitAccess[i].grfInheritance = entries[i].inheritance;
        BuildTrusteeWithSidW(&explicitAccess[i].Trustee, entries[i].sid);
    }
    PACL acl = nullptr;
    if (SetEntriesInAclW(count, explicitAccess, nullptr, &acl) != ERROR_SUCCESS) return false;
    m_acl = acl;
    return m_acl != nullptr;
}
