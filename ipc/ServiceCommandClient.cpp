#include "ipc/ServiceCommandClient.h"

namespace Swiftlet {

void QueryDiskCacheSetting(wchar_t, DiskCacheSettingData&) {
    // Not connected to the service yet: the record stays zero, as with no service.
}

}  // namespace Swiftlet
