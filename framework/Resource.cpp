#include "framework/Resource.h"

#include <setupapi.h>

static_assert(std::is_same_v<HDEVINFO, void*>, "UniqueDeviceInfoSet stores an HDEVINFO as void*");

namespace ResourceClose {

void Handle(HANDLE handle) noexcept { ::CloseHandle(handle); }
void Find(HANDLE handle) noexcept { ::FindClose(handle); }
void FindVolume(HANDLE handle) noexcept { ::FindVolumeClose(handle); }
void DeviceInfoSet(void* set) noexcept { ::SetupDiDestroyDeviceInfoList(set); }
void Service(SC_HANDLE handle) noexcept { ::CloseServiceHandle(handle); }
void Key(HKEY key) noexcept { ::RegCloseKey(key); }
void Module(HMODULE module) noexcept { ::FreeLibrary(module); }
void ReleaseSemaphoreOnce(HANDLE semaphore) noexcept { ::ReleaseSemaphore(semaphore, 1, nullptr); }
void LeaveSection(CRITICAL_SECTION* section) noexcept { ::LeaveCriticalSection(section); }

}  // namespace ResourceClose

SemaphoreHold HoldSemaphore(HANDLE semaphore, DWORD timeoutMs) noexcept {
    const bool held = ::WaitForSingleObject(semaphore, timeoutMs) == WAIT_OBJECT_0;
    return SemaphoreHold(held ? semaphore : nullptr);
}

CriticalSectionHold HoldCriticalSection(CRITICAL_SECTION* section) noexcept {
    ::EnterCriticalSection(section);
    return CriticalSectionHold(section);
}
