#pragma once
// One region of committed memory, optionally locked into physical memory, for I/O that
// bypasses the system cache. The region is page aligned, so any multiple of a sector
// size carved from it is a legal unbuffered transfer buffer. Not thread-safe.
#include <windows.h>

#include <cstdint>

#include "foundation/noncopyable.h"

class VirtualAllocater : private noncopyable {
public:
    VirtualAllocater() = default;
    // Releases whatever is still held.
    virtual ~VirtualAllocater();

    // Reserves and commits size bytes. With lock 1 the process working set is enlarged
    // by size and the pages are locked; a lock that fails does not fail the allocation.
    // Null when reserving or committing fails (nothing stays held), or when a region is
    // already held.
    void* Allocate(uint64_t size, int lock);
    // 1 when everything was released; 0 when a step failed, in which case what was not
    // yet released stays recorded for another attempt.
    int Release();

    void* GetAddress() const { return m_committed; }
    uint64_t GetSize() const { return m_size; }
    int IsLocked() const { return m_locked ? 1 : 0; }
    int IsWorkingSetRaised() const { return m_workingSetRaised ? 1 : 0; }

private:
    void* m_reserved = nullptr;
    void* m_committed = nullptr;
    uint64_t m_size = 0;
    uint32_t m_locked = 0;
    uint32_t m_workingSetRaised = 0;
    uint64_t m_savedMinimum = 0;
    uint64_t m_savedMaximum = 0;
};
