#pragma once
// Client of the disk cache service: asks for the cache and hot-plug properties of the
// disk that holds a drive letter.
#include "ipc/DiskCacheSettingData.h"

namespace Swiftlet {

// One query as the job builder runs it: connects within 1000 ms, checks the version,
// asks for the letter. Any failure leaves data as it was (all zero for a new record).
// A letter that is not A-Z/a-z sends nothing.
void QueryDiskCacheSetting(wchar_t driveLetter, DiskCacheSettingData& data);

}  // namespace Swiftlet
