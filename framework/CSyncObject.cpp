#include "framework/CSyncObject.h"

#include "framework/CException.h"

IMPLEMENT_DYNAMIC(CSyncObject, CObject)
IMPLEMENT_DYNAMIC(CSemaphore, CSyncObject)
IMPLEMENT_DYNAMIC(CMutex, CSyncObject)
IMPLEMENT_DYNAMIC(CEvent, CSyncObject)
IMPLEMENT_DYNAMIC(CCriticalSection, CSyncObject)

CSyncObject::~CSyncObject() {
    if (m_hObject)
        CloseHandle(m_hObject);
}

BOOL CSyncObject::Lock(DWORD timeout) {
    DWORD r = WaitForSingleObject(m_hObject, timeout);
    // An abandoned mutex is still ours: its last owner died holding it.
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

BOOL CSyncObject::Unlock(LONG, LPLONG) { return TRUE; }

CSemaphore::CSemaphore(LONG initialCount, LONG maxCount, LPCWSTR name, LPSECURITY_ATTRIBUTES attributes) {
    m_hObject = CreateSemaphoreW(attributes, initialCount, maxCount, name);
    if (!m_hObject)
        AfxThrowResourceException();
}

BOOL CSemaphore::Unlock(LONG count, LPLONG previousCount) {
    return ReleaseSemaphore(m_hObject, count, previousCount);
}

CMutex::CMutex(BOOL initiallyOwn, LPCWSTR name, LPSECURITY_ATTRIBUTES attributes) {
    m_hObject = CreateMutexW(attributes, initiallyOwn, name);
    if (!m_hObject)
        AfxThrowResourceException();
}

BOOL CMutex::Unlock() { return ReleaseMutex(m_hObject); }

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, LPCWSTR name, LPSECURITY_ATTRIBUTES attributes) {
    m_hObject = CreateEventW(attributes, manualReset, initiallyOwn, name);
    if (!m_hObject)
        AfxThrowResourceException();
}

CCriticalSection::CCriticalSection() { InitializeCriticalSection(&m_sect); }

CCriticalSection::~CCriticalSection() { DeleteCriticalSection(&m_sect); }

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : m_pObject(object) {
    if (initialLock)
        Lock();
}

BOOL CSingleLock::Lock(DWORD timeout) {
    if (!m_pObject)
        return FALSE;
    if (!m_bAcquired)
        m_bAcquired = m_pObject->Lock(timeout);
    return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
    if (m_pObject && m_bAcquired)
        m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
}

BOOL CSingleLock::Unlock(LONG count, LPLONG previousCount) {
    if (m_pObject && m_bAcquired)
        m_bAcquired = !m_pObject->Unlock(count, previousCount);
    return !m_bAcquired;
}
