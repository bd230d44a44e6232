#pragma once
// Kernel synchronisation objects and the scoped lock over them. Each object owns its
// handle; creation failure throws CResourceException, as the framework always did.
#include "framework/CObject.h"

class CSyncObject : public CObject {
    DECLARE_DYNAMIC(CSyncObject)
public:
    ~CSyncObject() override;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;

    // TRUE when the object was acquired within timeout milliseconds.
    virtual BOOL Lock(DWORD timeout = INFINITE);
    virtual BOOL Unlock() = 0;
    virtual BOOL Unlock(LONG count, LPLONG previousCount = nullptr);
    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = nullptr;

protected:
    CSyncObject() = default;
};

class CSemaphore : public CSyncObject {
    DECLARE_DYNAMIC(CSemaphore)
public:
    explicit CSemaphore(LONG initialCount = 1, LONG maxCount = 1, LPCWSTR name = nullptr,
                        LPSECURITY_ATTRIBUTES attributes = nullptr);
    BOOL Unlock() override { return Unlock(1, nullptr); }
    BOOL Unlock(LONG count, LPLONG previousCount = nullptr) override;
};

class CMutex : public CSyncObject {
    DECLARE_DYNAMIC(CMutex)
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, LPCWSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);
    BOOL Unlock() override;
    using CSyncObject::Unlock;
};

class CEvent : public CSyncObject {
    DECLARE_DYNAMIC(CEvent)
public:
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCWSTR name = nullptr,
                    LPSECURITY_ATTRIBUTES attributes = nullptr);
    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    BOOL PulseEvent() { return ::PulseEvent(m_hObject); }
    // Releasing an event does nothing: waiting on it is all a lock does.
    BOOL Unlock() override { return TRUE; }
    using CSyncObject::Unlock;
};

// In-process lock without a kernel handle (m_hObject stays null).
class CCriticalSection : public CSyncObject {
    DECLARE_DYNAMIC(CCriticalSection)
public:
    CCriticalSection();
    ~CCriticalSection() override;
    BOOL Lock() { ::EnterCriticalSection(&m_sect); return TRUE; }
    // A critical section cannot be waited on with a time-out; any timeout waits.
    BOOL Lock(DWORD) override { return Lock(); }
    BOOL Unlock() override { ::LeaveCriticalSection(&m_sect); return TRUE; }
    using CSyncObject::Unlock;
    operator CRITICAL_SECTION*() { return &m_sect; }

    CRITICAL_SECTION m_sect;
};

// Holds one sync object for a scope; the destructor releases what is still held.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock(DWORD timeout = INFINITE);
    BOOL Unlock();
    BOOL Unlock(LONG count, LPLONG previousCount = nullptr);
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};
