#include "foundation/VirtualAllocater.h"

VirtualAllocater::~VirtualAllocater() {
    Release();
}

void* VirtualAllocater::Allocate(uint64_t size, int lock) {
    // A second region would leak the first: the caller releases before allocating again.
    if (m_reserved || m_committed || size == 0)
        return nullptr;

    if (lock == 1) {
        // VirtualLock is limited by the minimum working set; raise both limits by the
        // region so that the lock can hold all of it.
        SIZE_T minimum = 0, maximum = 0;
        if (GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum)) {
            m_savedMinimum = minimum;
            m_savedMaximum = maximum;
            if (SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(minimum + size),
                                         static_cast<SIZE_T>(maximum + size)))
                m_workingSetRaised = 1;
        }
    }

    m_reserved = VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_RESERVE, PAGE_NOACCESS);
    if (m_reserved) {
        m_size = size;
        m_committed = VirtualAlloc(m_reserved, static_cast<SIZE_T>(size), MEM_COMMIT, PAGE_READWRITE);
    }
    if (!m_reserved || !m_committed) {
        DWORD error = GetLastError();
        Release();
        SetLastError(error);
        return nullptr;
    }

    if (lock == 1)
        m_locked = VirtualLock(m_committed, static_cast<SIZE_T>(size)) ? 1 : 0;
    return m_committed;
}

int VirtualAllocater::Release() {
    if (m_locked) {
        if (!VirtualUnlock(m_committed, static_cast<SIZE_T>(m_size)))
            return 0;
        m_locked = 0;
    }
    if (m_committed) {
        if (!VirtualFree(m_committed, static_cast<SIZE_T>(m_size), MEM_DECOMMIT))
            return 0;
        m_committed = nullptr;
    }
    if (m_reserved) {
        if (!VirtualFree(m_reserved, 0, MEM_RELEASE))
            return 0;
        m_reserved = nullptr;
    }
    m_size = 0;
    if (m_workingSetRaised)
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(m_savedMinimum),
                                 static_cast<SIZE_T>(m_savedMaximum));
    m_savedMinimum = 0;
    m_savedMaximum = 0;
    m_workingSetRaised = 0;
    return 1;
}
