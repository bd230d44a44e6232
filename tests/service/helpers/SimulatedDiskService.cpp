// The disk cache service with drive Z: played by a simulated hot-plug disk, for tests
// that need the service to report a disk these machines do not have.
#include "service/ServiceHost.h"
#include "tests/service/SimulatedDisk.h"

int wmain() {
    SimulatedDisk::Devices devices;
    return Swiftlet::Service::RunServiceProcess(&devices);
}
