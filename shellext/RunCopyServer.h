#pragma once
// The extension's end of the shell hand-over pipe: made for one menu command on the
// Explorer thread that runs it, it starts Swiftlet.exe with "/FCP" and the pipe's name,
// answers the started program's requests, and is gone again when the program has closed
// the pipe or has ended.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "ipc/PipeCommand.h"

namespace ShellEx {

class RunCopyServer : public PipeCommandServer {
public:
    // The pointed-to values must outlive the server. Only the user's own processes can
    // open the pipe.
    RunCopyServer(const CString& pipeName, int chunkSize, const CString* programPath,
                  const std::vector<CString>* sources, const CString* destination, const int32_t* flags);
    ~RunCopyServer() override;

    // The pipe name of the calling thread: the shell hand-over GUID, the process id and
    // the thread id.
    static CString PipeNameOfThisThread();

    // How long the started program is given to connect; Explorer's thread waits this
    // long at most for a program that neither connects nor ends.
    static constexpr DWORD kConnectTimeoutMs = 60000;
    void SetConnectTimeout(DWORD timeoutMs) { m_connectTimeoutMs = timeoutMs; }

    // One whole exchange: create the pipe, start the program, serve it until it closes
    // the pipe. 0 when the program was served (or did not connect), -1 when nothing
    // could be started.
    int Run() override;
    // Waits on the I/O event, the stop event and the started program: the program's end
    // ends any wait.
    bool Wait(HANDLE event, DWORD timeoutMs) override;
    void OnCommand(const std::vector<BYTE>& message) override;

    // The program started by the last Run (0 before), for whoever watches it.
    DWORD StartedProcessId() const { return m_startedProcessId; }

protected:
    // Starts the program with ShellExecuteExW; its process handle is kept in m_started
    // and its id in m_startedProcessId.
    virtual bool StartProgram();
    // The client is the program we started, where the system can tell.
    bool IsClientOurProgram() const;

    SHELLEXECUTEINFOW m_started;
    DWORD m_startedProcessId = 0;

private:
    void EndProgramWatch();

    const CString* m_programPath;
    const std::vector<CString>* m_sources;
    const CString* m_destination;
    const int32_t* m_flags;
    CString m_parameters;
    DWORD m_connectTimeoutMs = kConnectTimeoutMs;
    bool m_accepting = false;
};

}  // namespace ShellEx
