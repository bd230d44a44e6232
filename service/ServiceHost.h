#pragma once
// The service process: the control dispatcher, the service main with its status
// reports, the control handler, and the controller that starts and stops the server
// thread.
#include <windows.h>

#include "service/ServiceCommandServer.h"

namespace Swiftlet {
namespace Service {

inline constexpr wchar_t kServiceName[] = L"SwiftletSrv";
// Own process, share process and interactive, as the service has always reported.
inline constexpr DWORD kServiceType = 0x130;
inline constexpr DWORD kStartWaitHintMs = 15000;

// Starts and stops the server thread; one per process, created on first use.
class ServerController {
public:
    explicit ServerController(IVolumeDevices* devices) : m_devices(devices) {}
    virtual ~ServerController();
    ServerController(const ServerController&) = delete;
    ServerController& operator=(const ServerController&) = delete;

    virtual bool Prepare() { return true; }
    // Starts the thread unless one runs; true when a thread object exists.
    virtual bool Start();
    // Stops the running thread, if any, and forgets it.
    virtual void Stop();

private:
    IVolumeDevices* m_devices;
    ServiceCommandServerThread* m_thread = nullptr;
};

// The whole service process: sets the locale and runs the control dispatcher until the
// service has stopped. Returns the process exit code (0, also when the process was not
// started by the service control manager). devices: where the service opens volumes
// (the system's when null); it must outlive the call.
int RunServiceProcess(IVolumeDevices* devices = nullptr);

}  // namespace Service
}  // namespace Swiftlet
