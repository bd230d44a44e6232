// SwiftletSrv: answers Swiftlet's questions about a disk's cache and hot-plug
// properties, which an unprivileged process cannot read from a volume itself.
#include "service/ServiceHost.h"

int wmain() { return Swiftlet::Service::RunServiceProcess(); }
