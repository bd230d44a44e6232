#pragma once
// Client of the disk cache service: asks for the cache and hot-plug properties of the
// disk that holds a drive letter. The service is optional; without it every answer is
// an all-zero record.
#include "ipc/DataConverter.h"
#include "ipc/DiskCacheSettingData.h"
#include "ipc/PipeCommand.h"

namespace Swiftlet {

// The commands of the service pipe and the statuses of their replies; both ends use
// these.
namespace ServiceCommand {
enum Command : int32_t {
    kVersion = 1,
    kDiskCache = 2,  // uint16 drive letter; reply: the 56-byte cache record
};
enum Status : int32_t {
    kSuccess = 0,
    kUnknownCommand = 1,
    kMalformed = 2,  // also the answer to a request shorter than its id
};
// Size of the cache record on the wire: the three system structures, then their flags.
inline constexpr size_t kDiskCacheRecordSize = 56;
}  // namespace ServiceCommand

class ServiceCommandClient : public PipeCommandClient {
public:
    // On the service pipe unless told otherwise.
    ServiceCommandClient();
    explicit ServiceCommandClient(const CString& pipeName);

    // Cache query for one drive letter. data keeps whatever part of the answer was
    // decoded; true only for status 0 followed by exactly the 56-byte record.
    bool QueryDiskCache(wchar_t driveLetter, DiskCacheSettingData& data);

    // How long the service pipe is tried before the service counts as absent.
    static constexpr DWORD kConnectTimeoutMs = 1000;
    // How long one query takes at most, the connect included: a service that stops
    // answering holds a job's start up no longer than this.
    static constexpr DWORD kQueryTimeoutMs = 3000;
};

// Decodes the record that follows the status word, field by field. What was decoded
// before a field ran short stays in data; true only when all six fields were there and
// nothing follows them.
bool DecodeDiskCacheRecord(CDataParser& parser, DiskCacheSettingData& data);

// One query as the job builder runs it: connects within a second, checks the version,
// asks for the letter, closes, all within windowMs of its start. Any failure leaves
// data as it was (all zero for a new record). A letter that is not A-Z/a-z sends
// nothing.
void QueryDiskCacheSetting(wchar_t driveLetter, DiskCacheSettingData& data);
void QueryDiskCacheSetting(const CString& servicePipeName, wchar_t driveLetter, DiskCacheSettingData& data,
                           DWORD windowMs = ServiceCommandClient::kQueryTimeoutMs);

}  // namespace Swiftlet
