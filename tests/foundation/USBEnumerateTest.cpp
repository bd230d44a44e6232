// The USB walk over a simulated machine (Wine has no USB controllers), and over the real
// system, which under Wine must simply find nothing.
#include <gtest/gtest.h>

#include "foundation/USBEnumerateEx.h"
#include "tests/foundation/SampleUsbMachine.h"

using namespace Swiftlet::USB;

namespace {

const UINT kEverything = 0x3FF7F;
const UINT kJobBuilder = CaptureBcdUsb | CaptureDriveLetter | CaptureDescription; // 0x1120

CUSBEnumerateExList Enumerate(SimulatedUsbSystem& system, UINT modes, UINT capture) {
    CUSBEnumerateExList records;
    CUSBEnumerateEx walk(records, modes, capture, system);
    walk.Enumerate();
    return records;
}

const CUSBEnumerateExData& RecordOf(const CUSBEnumerateExList& records, USHORT productId) {
    for (const CUSBEnumerateExData& r : records)
        if (r.productId == productId) return r;
    throw std::runtime_error("no such record");
}

std::vector<CString> DeviceIdsInPreOrder(const CUSBEnumerateExData& record) {
    std::vector<CString> ids;
    for (auto it = record.tree.begin(); it != record.tree.end(); ++it) ids.push_back(it->deviceId);
    return ids;
}

CString Upper(CString s) {
    s.MakeUpper();
    return s;
}

// Records which device nodes the device-node search classifies as hubs and devices.
class NodeWalk : public CUSBEnumerateBase {
public:
    using CUSBEnumerateBase::CUSBEnumerateBase;
    std::vector<DEVINST> controllers, hubs, devices;
    void OnHostControllerNode(DEVINST devInst) override {
        controllers.push_back(devInst);
        CUSBEnumerateBase::OnHostControllerNode(devInst);
    }
    void OnHubNode(DEVINST devInst) override { hubs.push_back(devInst); }
    void OnDeviceNode(DEVINST devInst) override { devices.push_back(devInst); }
};

}  // namespace

TEST(USBEnumerate, ConnectedDevicesAreRecordedOncePerControllerDepthFirst) {
    SampleUsbMachine m;
    CUSBEnumerateExList records;
    CUSBEnumerateEx walk(records, CUSBEnumerateBase::ModeHcdName | CUSBEnumerateBase::ModeInterface,
                         kEverything, m.system);
    walk.Enumerate();

    // Controller A by "\\.\HCD0" (its interface, with the key in lower case, is skipped),
    // then controller B by interface. Under A the external hub on port 2 comes before
    // the mouse on port 3; the device without a readable driver key is left out.
    std::vector<USHORT> vendors;
    for (const CUSBEnumerateExData& r : records) vendors.push_back(r.vendorId);
    EXPECT_EQ((std::vector<USHORT>{0x0781, 0x046D, 0x04F2, 0x04B8}), vendors);
    EXPECT_EQ((std::vector<CString>{Upper(SampleUsbMachine::kKeyA), SampleUsbMachine::kKeyB}), walk.known);

    EXPECT_EQ(2, m.system.OpensOf(SampleUsbMachine::kHcd0));       // key, then root hub
    EXPECT_EQ(1, m.system.OpensOf(SampleUsbMachine::kInterfaceA)); // key only
    EXPECT_EQ(1, m.system.OpensOf(CString(L"\\\\.\\") + SampleUsbMachine::kRootHubA));
    EXPECT_EQ(1, m.system.OpensOf(CString(L"\\\\.\\") + SampleUsbMachine::kExternalHub));
    EXPECT_EQ(1, m.system.OpensOf(L"\\\\.\\HCD9"));
    EXPECT_EQ(0, m.system.OpensOf(L"\\\\.\\HCD10"));
    // Controllers are closed before their root hub is opened; a hub stays open while
    // the hubs behind it are walked; nothing stays open.
    EXPECT_EQ(2, m.system.maxOpenHandles);
    EXPECT_EQ(0, m.system.openHandles);

    const CUSBEnumerateExData& flash = records.front();
    EXPECT_EQ(0x5567, flash.productId);
    EXPECT_EQ(CString(L"SanDisk"), flash.manufacturer); // the first language, 0x0411
    EXPECT_EQ(CString(L"Cruzer Blade"), flash.product);
    EXPECT_EQ(CString(L"4C530001230928115163"), flash.serialNumber);
    EXPECT_EQ(0x0200, flash.bcdUSB);
    EXPECT_EQ(2u, flash.speed);
}

TEST(USBEnumerate, MalformedStringsAndMissingLanguagesLeaveTheTextsEmpty) {
    SampleUsbMachine m;
    CUSBEnumerateExList records = Enumerate(m.system, 3, kEverything);
    // Odd length, wrong descriptor type, and a length the answer does not have.
    const CUSBEnumerateExData& mouse = RecordOf(records, 0xC077);
    EXPECT_TRUE(mouse.manufacturer.IsEmpty());
    EXPECT_TRUE(mouse.product.IsEmpty());
    EXPECT_TRUE(mouse.serialNumber.IsEmpty());
    EXPECT_EQ(0x0110, mouse.bcdUSB);
    // The printer has a product string but no language to ask it in.
    EXPECT_TRUE(RecordOf(records, 0x0005).product.IsEmpty());
}

TEST(USBEnumerate, OlderConnectionRequestGivesLowOrFullSpeed) {
    SampleUsbMachine m;
    CUSBEnumerateExList records = Enumerate(m.system, 3, kEverything);
    EXPECT_EQ(0u, RecordOf(records, 0x0116).speed); // low-speed keyboard
    EXPECT_EQ(1u, RecordOf(records, 0x0005).speed); // a high-speed printer reads as full speed
    EXPECT_EQ(0u, RecordOf(records, 0xC077).speed); // newer request: the hub's own value
}

TEST(USBEnumerate, FlashDriveTreeReachesItsVolumeThroughTheDisksRemovalRelation) {
    SampleUsbMachine m;
    CUSBEnumerateExList records = Enumerate(m.system, 3, kJobBuilder);
    ASSERT_EQ(4u, records.size());
    const CUSBEnumerateExData& flash = records.front();
    EXPECT_EQ(0, flash.vendorId); // not captured
    EXPECT_EQ(0x0200, flash.bcdUSB);

    // Children first (disk, then its sibling CD-ROM), then the device's own removal
    // relation; removal relations bring no siblings (the C: volume, the phone), and the
    // device itself gets none (the hub's other device).
    EXPECT_EQ((std::vector<CString>{SampleUsbMachine::kFlashId, SampleUsbMachine::kDiskId,
                                    SampleUsbMachine::kVolumeEId, SampleUsbMachine::kCdromId,
                                    SampleUsbMachine::kPortableId}),
              DeviceIdsInPreOrder(flash));
    auto root = flash.tree.begin();
    EXPECT_EQ(3u, root.number_of_children());
    EXPECT_EQ(m.flash, root->devInst);
    EXPECT_EQ(CString(L"USB 大容量記憶装置"), root->description);
    auto it = root;
    ++it;
    EXPECT_EQ(1u, it.number_of_children()); // the disk holds the volume
    ++it;
    EXPECT_EQ(L'E', it->driveLetter);
    EXPECT_EQ(m.volumeE, it->devInst);
    EXPECT_EQ(2u, it.depth());
    for (auto n = flash.tree.begin(); n != flash.tree.end(); ++n) {
        EXPECT_TRUE(n->friendlyName.IsEmpty()); // not captured
        if (n->devInst != m.volumeE) {
            EXPECT_EQ(0, n->driveLetter);
        }
    }

    std::vector<USHORT> letters = {L'Q'};
    EXPECT_EQ(1, flash.GetDriveLetters(letters));
    EXPECT_EQ((std::vector<USHORT>{L'E'}), letters);

    const CUSBEnumerateExData& mouse = *std::next(records.begin());
    EXPECT_EQ((std::vector<CString>{L"USB\\VID_046D&PID_C077\\5&1B3C4A5E&0&3",
                                    L"HID\\VID_046D&PID_C077\\6&2F0D8A&0&0000"}),
              DeviceIdsInPreOrder(mouse)); // not the hub beside it
    EXPECT_EQ(0, mouse.GetDriveLetters(letters));
    EXPECT_TRUE(letters.empty());
}

TEST(USBEnumerate, CaptureBitsChooseWhatTheTreeNodesHold) {
    SampleUsbMachine m;
    const CUSBEnumerateExData all = Enumerate(m.system, 1, kEverything).front();
    const CUSBEnumerateExTreeData& root = *all.tree.begin();
    EXPECT_EQ(CString(L"USB"), root.enumeratorName);
    EXPECT_EQ(CString(L"{36fc9e60-c465-11cf-8056-444553540000}"), root.classGuid);
    EXPECT_EQ((std::list<CString>{L"FltA", L"FltB"}), root.lowerFilters);
    EXPECT_TRUE(root.upperFilters.empty()); // the node has no such value
    EXPECT_EQ(static_cast<DWORD>(DN_STARTED | DN_DRIVER_LOADED), root.status);
    EXPECT_EQ(0x2Bu, root.problem);
    auto disk = all.tree.begin();
    ++disk;
    EXPECT_EQ(CString(L"SanDisk Cruzer Blade USB Device"), disk->friendlyName);

    const CUSBEnumerateExData statusOnly = Enumerate(m.system, 1, CaptureStatus).front();
    EXPECT_EQ(static_cast<DWORD>(DN_STARTED | DN_DRIVER_LOADED), statusOnly.tree.begin()->status);
    EXPECT_EQ(0u, statusOnly.tree.begin()->problem);

    const CUSBEnumerateExData problemOnly = Enumerate(m.system, 1, CaptureProblem).front();
    ASSERT_FALSE(problemOnly.tree.empty());
    EXPECT_EQ(0u, problemOnly.tree.begin()->status);
    EXPECT_EQ(0u, problemOnly.tree.begin()->problem);

    const CUSBEnumerateExData idsOnly = Enumerate(m.system, 1, CaptureDeviceId).front();
    EXPECT_EQ(5u, idsOnly.tree.size());
    std::vector<USHORT> letters;
    EXPECT_EQ(0, idsOnly.GetDriveLetters(letters));

    EXPECT_TRUE(Enumerate(m.system, 1, 0x7F).front().tree.empty());
}

TEST(USBEnumerate, DeviceWhoseNodeIsNotFoundGetsAnEmptyRootWithoutLetter) {
    SampleUsbMachine m;
    m.system.NodeOf(m.flash).texts[CM_DRP_DRIVER] = L"{36FC9E60-C465-11CF-8056-444553540000}\\0099";
    const CUSBEnumerateExData flash = Enumerate(m.system, 1, kEverything).front();
    ASSERT_EQ(1u, flash.tree.size());
    EXPECT_EQ(0u, flash.tree.begin()->devInst);
    EXPECT_TRUE(flash.tree.begin()->deviceId.IsEmpty());
    // Z: has no device ID either, and still must not be taken for this device.
    EXPECT_EQ(0, flash.tree.begin()->driveLetter);
}

TEST(USBEnumerate, DeviceNodeSearchRecognisesControllersAndHubsByTheirTexts) {
    SampleUsbMachine m;
    CUSBEnumerateExList records;
    {
        NodeWalk walk(CUSBEnumerateBase::ModeDeviceNode, m.system);
        walk.Enumerate();
        // A by its description ("Host Controller"), B by its service ("uhcd").
        EXPECT_EQ((std::vector<DEVINST>{m.controllerA, m.controllerB}), walk.controllers);
        EXPECT_EQ((std::vector<DEVINST>{m.rootHubA, m.externalHub, m.rootHubB}), walk.hubs);
        EXPECT_EQ((std::vector<DEVINST>{m.mouse, m.flash, m.unreadable, m.keyboard, m.printer}), walk.devices);
        EXPECT_EQ(2u, walk.known.size());
    }
    {
        // After the two other searches it finds nothing new, and records stay as they were.
        NodeWalk walk(7, m.system);
        walk.Enumerate();
        EXPECT_TRUE(walk.controllers.empty());
        EXPECT_EQ(2u, walk.known.size());
    }
    EXPECT_EQ(4u, Enumerate(m.system, 7, kJobBuilder).size());
    EXPECT_TRUE(Enumerate(m.system, 4, kJobBuilder).empty());
}

TEST(USBEnumerate, TextTestsMatchJapaneseAndEnglishNames) {
    EXPECT_EQ(1, CUSBEnumerateBase::IsHostControllerService(L"uhcd"));
    EXPECT_EQ(0, CUSBEnumerateBase::IsHostControllerService(L"usbuhci"));
    EXPECT_EQ(1, CUSBEnumerateBase::IsHostControllerDescription(L"Standard Enhanced PCI to USB Host Controller"));
    EXPECT_EQ(1, CUSBEnumerateBase::IsHostControllerDescription(L"標準拡張 PCI to USB ホスト コントローラー"));
    EXPECT_EQ(0, CUSBEnumerateBase::IsHostControllerDescription(L"PCI standard host CPU bridge"));
    EXPECT_EQ(0, CUSBEnumerateBase::IsHostControllerDescription(L"USB 大容量記憶装置"));
    EXPECT_EQ(1, CUSBEnumerateBase::IsHub(L"UsbHub", L""));
    EXPECT_EQ(1, CUSBEnumerateBase::IsHub(L"", L"USB ルート ハブ"));
    EXPECT_EQ(1, CUSBEnumerateBase::IsHub(L"", L"usb root hub"));
    EXPECT_EQ(1, CUSBEnumerateBase::IsHub(L"", L"汎用 USB ハブ"));
    EXPECT_EQ(0, CUSBEnumerateBase::IsHub(L"usbhub3x", L"USB 入力デバイス"));
}

TEST(USBEnumerate, LoopsInTheReportedTopologyEndTheWalk) {
    SampleUsbMachine m;
    // An external hub that names itself on its own port, and a volume whose removal
    // relation leads back to the device that holds it.
    SimulatedUsbSystem::Port& self = m.system.DeviceAt(CString(L"\\\\.\\") + SampleUsbMachine::kExternalHub).ports[1];
    self.connectionStatus = 1;
    self.isHub = true;
    self.hubName = SampleUsbMachine::kExternalHub;
    m.system.NodeOf(m.volumeE).removalRelations = {SampleUsbMachine::kFlashId};

    CUSBEnumerateExList records = Enumerate(m.system, 3, kJobBuilder);
    ASSERT_FALSE(records.empty());
    EXPECT_LE(records.front().tree.size(), static_cast<uint64_t>(CUSBEnumerateEx::kMaxTreeNodes));
    std::vector<USHORT> letters;
    EXPECT_EQ(1, records.front().GetDriveLetters(letters));
    EXPECT_EQ(0, m.system.openHandles);
}

TEST(USBDeviceNodes, DriverKeyIsFoundAnywhereInTheTreeWithoutRegardToCase) {
    SampleUsbMachine m;
    EXPECT_EQ(m.flash, FindDeviceNodeByDriverKey(L"{36FC9E60-C465-11CF-8056-444553540000}\\0004", m.system));
    EXPECT_EQ(m.printer, FindDeviceNodeByDriverKey(L"{4d36e979-e325-11ce-bfc1-08002be10318}\\0002", m.system));
    EXPECT_EQ(0u, FindDeviceNodeByDriverKey(L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0003", m.system));
    // Nodes without a driver key must not match a key that could not be read.
    EXPECT_EQ(0u, FindDeviceNodeByDriverKey(L"", m.system));
}

TEST(USBDeviceNodes, MultiStringPropertyListsItsStringsInOrder) {
    SampleUsbMachine m;
    m.system.NodeOf(m.disk).multiTexts[CM_DRP_UPPERFILTERS] = {L"PartMgr", L"", L"Hidden"};
    std::list<CString> list = {L"kept"};
    EXPECT_EQ(1, GetMultiStringProperty(m.disk, CM_DRP_UPPERFILTERS, list, m.system));
    EXPECT_EQ((std::list<CString>{L"kept", L"PartMgr"}), list); // up to the first empty string
    list.clear();
    EXPECT_EQ(1, GetMultiStringProperty(m.disk, CM_DRP_LOWERFILTERS, list, m.system));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(0, GetMultiStringProperty(0, CM_DRP_LOWERFILTERS, list, m.system));
}

TEST(USBEnumerateRealSystem, WineHasNoUsbControllersAndTheWalkFindsNothing) {
    CUSBEnumerateExList records;
    records.push_back(CUSBEnumerateExData());
    CUSBEnumerateEx walk(records, 7, kEverything);
    walk.Enumerate();
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(walk.known.empty());
    // The volume list is real: at least the system drive.
    bool systemDrive = false;
    for (const CVolumeEnumerateData& v : walk.volumes) systemDrive = systemDrive || v.letter == L'C';
    EXPECT_TRUE(systemDrive);
    EXPECT_EQ(0u, FindDeviceNodeByDriverKey(L"{36FC9E60-C465-11CF-8056-444553540000}\\0000"));
}
