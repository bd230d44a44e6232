#pragma once
// A volume device that answers only the control codes it was given, as a disk behind a
// driver that lacks some of them would.
#include <map>
#include <string>
#include <vector>

#include "service/DiskCacheQuery.h"

namespace TestVolumes {

struct Answer {
    std::string bytes;          // copied into the caller's buffer (truncated to its size)
    DWORD bytesReturned;        // what the device reports
};

struct SimulatedVolumes : Swiftlet::IVolumeDevices {
    std::map<wchar_t, std::map<DWORD, Answer>> volumes;  // by upper-case drive letter
    std::vector<std::wstring> opened;                    // every path Open was asked for
    std::vector<DWORD> codes;                            // every control code issued
    int closed = 0;

    std::unique_ptr<Swiftlet::IVolumeDevice> Open(const wchar_t* path) override;
};

}  // namespace TestVolumes
