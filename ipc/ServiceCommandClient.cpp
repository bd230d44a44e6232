#include "ipc/ServiceCommandClient.h"

#include <algorithm>

#include "ipc/PipeNames.h"

namespace Swiftlet {

namespace {
bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
}  // namespace

ServiceCommandClient::ServiceCommandClient() : ServiceCommandClient(PipeNames::ServicePipeName()) {}

ServiceCommandClient::ServiceCommandClient(const CString& pipeName) : PipeCommandClient(pipeName, kPipeChunkSize) {}

bool ServiceCommandClient::QueryDiskCache(wchar_t driveLetter, DiskCacheSettingData& data) {
    CDataConverter request;
    request.AppendInt32(ServiceCommand::kDiskCache);
    request.AppendUInt16(static_cast<uint16_t>(driveLetter));
    std::vector<BYTE> reply;
    if (!Exchange(request, reply)) return false;
    CDataParser parser(reply.data(), reply.size());
    int32_t status = -1;
    if (!parser.ReadInt32(status) || status != ServiceCommand::kSuccess) return false;
    return DecodeDiskCacheRecord(parser, data);
}

bool DecodeDiskCacheRecord(CDataParser& parser, DiskCacheSettingData& data) {
    // Each field is taken whole or not at all, in wire order.
    if (!parser.ReadBytes(data.cacheInformation, sizeof data.cacheInformation)) return false;
    if (!parser.ReadBytes(data.cacheSetting, sizeof data.cacheSetting)) return false;
    if (!parser.ReadBytes(data.hotplugInformation, sizeof data.hotplugInformation)) return false;
    if (!parser.ReadInt32(data.cacheInformationValid)) return false;
    if (!parser.ReadInt32(data.cacheSettingValid)) return false;
    if (!parser.ReadInt32(data.hotplugInformationValid)) return false;
    return parser.Remaining() == 0;
}

void QueryDiskCacheSetting(wchar_t driveLetter, DiskCacheSettingData& data) {
    QueryDiskCacheSetting(PipeNames::ServicePipeName(), driveLetter, data);
}

void QueryDiskCacheSetting(const CString& servicePipeName, wchar_t driveLetter, DiskCacheSettingData& data,
                           DWORD windowMs) {
    if (!IsDriveLetter(driveLetter)) return;
    const DWORD start = GetTickCount();
    ServiceCommandClient client(servicePipeName);
    // The service serves one client at a time: a busy or briefly re-created pipe is
    // retried; a service that is not there costs at most the time-out.
    if (!client.Connect(std::min(ServiceCommandClient::kConnectTimeoutMs, windowMs))) return;
    client.SetDeadline(start, windowMs);
    if (client.IsPeerCompatible()) client.QueryDiskCache(driveLetter, data);
    client.Close();
}

}  // namespace Swiftlet
