#include "engine/CopyEvents.h"

namespace Swiftlet {

CoreEventFindStatus::CoreEventFindStatus() = default;
CoreEventFindStatus::~CoreEventFindStatus() = default;

void CoreEventFindStatus::SetFrom(const CString& path) {
    AcquireSRWLockExclusive(&m_lock);
    m_from = path;
    ReleaseSRWLockExclusive(&m_lock);
}

void CoreEventFindStatus::SetTo(const CString& path) {
    AcquireSRWLockExclusive(&m_lock);
    m_to = path;
    ReleaseSRWLockExclusive(&m_lock);
}

CString CoreEventFindStatus::GetFrom() const {
    AcquireSRWLockShared(&m_lock);
    CString copy = m_from;
    ReleaseSRWLockShared(&m_lock);
    return copy;
}

CString CoreEventFindStatus::GetTo() const {
    AcquireSRWLockShared(&m_lock);
    CString copy = m_to;
    ReleaseSRWLockShared(&m_lock);
    return copy;
}

}  // namespace Swiftlet
