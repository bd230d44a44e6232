#pragma once
// The service's side of the service pipe: answers the version query and the cache query
// for one drive letter, one client at a time, on a thread of its own.
#include "framework/CWinThread.h"
#include "ipc/PipeCommand.h"
#include "service/DiskCacheQuery.h"

namespace Swiftlet {

// Runs as SYSTEM and answers the Swiftlet of every interactive user.
class ServiceCommandServer : public PipeCommandServer {
public:
    // devices: where volumes are opened (the system's unless told otherwise); it must
    // outlive the server.
    explicit ServiceCommandServer(const CString& pipeName, IVolumeDevices* devices = nullptr);

    void OnCommand(const std::vector<BYTE>& message) override;

private:
    // Status 0 with the record written, or the status to answer with.
    int32_t HandleDiskCache(CDataParser& parser);

    SystemVolumeDevices m_systemDevices;
    IVolumeDevices* m_devices;
};

// Runs the command server on the service pipe. Its initialisation serves until the
// server is stopped or its pipe cannot be created, then ends the thread: it has no
// message loop of its own.
class ServiceCommandServerThread : public CWinThread {
    DECLARE_DYNCREATE(ServiceCommandServerThread)
public:
    ServiceCommandServerThread();
    ~ServiceCommandServerThread() override;

    // Creates the thread suspended and resumes it serving pipeName (the service pipe
    // when empty) with devices (the system's when null). The caller owns the object
    // and ends it with Stop, then delete. Null when the thread cannot be created.
    static ServiceCommandServerThread* Start(IVolumeDevices* devices = nullptr,
                                             const CString& pipeName = CString());

    BOOL InitInstance() override;
    // Stop flag, stop event, WM_QUIT, then up to 10000 ms for the thread to end before
    // it is terminated.
    void Stop();

    ServiceCommandServer& Server() { return *m_server; }

private:
    ServiceCommandServer* m_server;
};

}  // namespace Swiftlet
