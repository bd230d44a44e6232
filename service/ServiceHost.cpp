#include "service/ServiceHost.h"

#include <clocale>

#include "framework/Resource.h"

namespace Swiftlet {
namespace Service {

namespace {

// Process-wide state of the one service this process hosts. The control handler (main
// thread) and the service main (the manager's thread) share it; while the service
// starts it accepts no controls, so the two do not overlap, and the lock only guards
// against a manager that delivers a control anyway.
SERVICE_STATUS g_status{};
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
DWORD g_checkPoint = 1;
IVolumeDevices* g_devices = nullptr;
ServerController* g_controller = nullptr;
CRITICAL_SECTION g_lock;

CriticalSectionHold Lock() { return HoldCriticalSection(&g_lock); }

bool IsPending(DWORD state) { return state != SERVICE_RUNNING && state != SERVICE_STOPPED; }

// Pending states count their check point up; settled states report 0.
bool Report(DWORD state, DWORD controlsAccepted, DWORD exitCode, DWORD waitHint) {
    g_status.dwServiceType = kServiceType;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = controlsAccepted;
    g_status.dwWin32ExitCode = exitCode;
    g_status.dwServiceSpecificExitCode = 0;
    g_status.dwCheckPoint = IsPending(state) ? g_checkPoint++ : 0;
    g_status.dwWaitHint = waitHint;
    return SetServiceStatus(g_statusHandle, &g_status) != FALSE;
}

ServerController* Controller() {
    if (!g_controller) g_controller = new (std::nothrow) ServerController(g_devices);
    return g_controller;
}

void StopAndDeleteController() {
    if (!g_controller) return;
    g_controller->Stop();
    delete g_controller;
    g_controller = nullptr;
}

DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID) {
    try {
        const CriticalSectionHold hold = Lock();
        if (control == SERVICE_CONTROL_STOP) {
            Report(SERVICE_STOP_PENDING, g_status.dwControlsAccepted | SERVICE_ACCEPT_STOP, 0, 0);
            StopAndDeleteController();
            Report(SERVICE_STOPPED, g_status.dwControlsAccepted | SERVICE_ACCEPT_STOP, 0, 0);
        } else {
            const DWORD state = g_status.dwCurrentState;
            const DWORD accepted = state == SERVICE_START_PENDING ? 0 : g_status.dwControlsAccepted | SERVICE_ACCEPT_STOP;
            Report(state, accepted, 0, 0);
        }
    } catch (...) {
        // Nothing may unwind into the service control manager.
    }
    return NO_ERROR;
}

// A failed start ends STOPPED with the error that made it fail; a start that failed
// without one must still not look like a clean stop.
void ReportFailedStart(DWORD error, bool stopPending) {
    if (error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;
    if (stopPending) {
        Report(SERVICE_STOP_PENDING, g_status.dwControlsAccepted | SERVICE_ACCEPT_STOP, 0, 0);
        StopAndDeleteController();
    }
    Report(SERVICE_STOPPED, g_status.dwControlsAccepted | SERVICE_ACCEPT_STOP, error, 0);
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    try {
        g_statusHandle = RegisterServiceCtrlHandlerExW(kServiceName, &ControlHandler, nullptr);
        if (!g_statusHandle) return;
        const CriticalSectionHold hold = Lock();
        if (!Report(SERVICE_START_PENDING, 0, 0, kStartWaitHintMs)) {
            ReportFailedStart(GetLastError(), false);
            return;
        }
        ServerController* controller = Controller();
        if (!controller || !controller->Prepare()) {
            ReportFailedStart(controller ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY, false);
            return;
        }
        controller = Controller();
        if (!controller || !controller->Start()) {
            ReportFailedStart(controller ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY, true);
            return;
        }
        if (!Report(SERVICE_RUNNING, g_status.dwControlsAccepted | SERVICE_ACCEPT_STOP, 0, 0))
            ReportFailedStart(GetLastError(), true);
        // Running: the server thread serves until the stop control.
    } catch (...) {
        // Nothing may unwind into the service control manager.
    }
}

}  // namespace

ServerController::~ServerController() { Stop(); }

bool ServerController::Start() {
    if (!m_thread) m_thread = ServiceCommandServerThread::Start(m_devices);
    return m_thread != nullptr;
}

void ServerController::Stop() {
    if (!m_thread) return;
    m_thread->Stop();
    delete m_thread;
    m_thread = nullptr;
}

int RunServiceProcess(IVolumeDevices* devices) {
    _wsetlocale(LC_ALL, L"");
    InitializeCriticalSection(&g_lock);
    g_devices = devices;
    wchar_t name[] = L"SwiftletSrv";
    const SERVICE_TABLE_ENTRYW table[] = {{name, &ServiceMain}, {nullptr, nullptr}};
    StartServiceCtrlDispatcherW(table);
    {
        const CriticalSectionHold hold = Lock();
        StopAndDeleteController();
    }
    DeleteCriticalSection(&g_lock);
    return 0;
}

}  // namespace Service
}  // namespace Swiftlet
