#pragma once
// One small machine with USB devices, as the walk sees it:
//
//   controller A  "\\.\HCD0" and an interface path, driver keys differing in case
//     root hub    port 1 empty, port 2 external hub, port 3 mouse (bad strings)
//     external    port 1 flash drive, ports 2-3 empty, port 4 a device whose driver
//                 key cannot be read
//   controller B  interface only; its root hub knows only the older connection request
//     root hub    port 1 low-speed keyboard, port 2 high-speed printer without
//                 language IDs
//
// The flash drive's device node has a disk and a CD-ROM below it and a portable-device
// node as removal relation; the disk's removal relation is the volume mounted as E:.
#include "tests/foundation/SimulatedUsbSystem.h"

struct SampleUsbMachine {
    static constexpr const wchar_t* kHcd0 = L"\\\\.\\HCD0";
    static constexpr const wchar_t* kInterfaceA =
        L"\\\\?\\pci#ven_8086&dev_1c26&subsys_04b01028&rev_05#3&11583659&0&e8#{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";
    static constexpr const wchar_t* kInterfaceB =
        L"\\\\?\\pci#ven_8086&dev_7112&subsys_00000000&rev_01#3&267a616a&0&3a#{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";
    static constexpr const wchar_t* kKeyA = L"{36FC9E60-C465-11CF-8056-444553540000}\\0000";
    static constexpr const wchar_t* kKeyB = L"{36FC9E60-C465-11CF-8056-444553540000}\\0001";
    static constexpr const wchar_t* kRootHubA = L"USB#ROOT_HUB20#4&2a5d1d8e&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
    static constexpr const wchar_t* kRootHubB = L"USB#ROOT_HUB#4&1fa6b6d&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
    static constexpr const wchar_t* kExternalHub =
        L"USB#VID_05E3&PID_0608#5&1b3c4a5e&0&2#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
    static constexpr const wchar_t* kFlashId = L"USB\\VID_0781&PID_5567\\4C530001230928115163";
    static constexpr const wchar_t* kDiskId =
        L"USBSTOR\\DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00\\4C530001230928115163&0";
    static constexpr const wchar_t* kCdromId =
        L"USBSTOR\\CDROM&VEN_SANDISK&PROD_U3_CRUZER&REV_1.00\\4C530001230928115163&1";
    static constexpr const wchar_t* kPortableId =
        L"SWD\\WPDBUSENUM\\_??_USBSTOR#DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00#4C530001230928115163&0#{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}";
    static constexpr const wchar_t* kVolumeEId =
        L"STORAGE\\VOLUME\\_??_USBSTOR#DISK&VEN_SANDISK&PROD_CRUZER_BLADE&REV_1.00#4C530001230928115163&0#{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}";
    static constexpr const wchar_t* kVolumeCId = L"STORAGE\\VOLUME\\{5E3A1C2B-0000-0000-0000-100000000000}#0000000000100000";

    SimulatedUsbSystem system;
    DEVINST controllerA = 0, rootHubA = 0, externalHub = 0, mouse = 0, mouseHid = 0;
    DEVINST flash = 0, disk = 0, cdrom = 0, portable = 0, unreadable = 0;
    DEVINST controllerB = 0, rootHubB = 0, keyboard = 0, printer = 0;
    DEVINST volumeE = 0, volumeC = 0;

    SampleUsbMachine() {
        BuildControllerA();
        BuildControllerB();
        BuildNodes();
        system.AddVolume(L'C', kVolumeCId);
        system.AddVolume(L'E', kVolumeEId);
        system.AddVolume(L'Z', L""); // a volume without a device node
    }

private:
    using Port = SimulatedUsbSystem::Port;

    void BuildControllerA() {
        system.AddController(kHcd0, kKeyA, kRootHubA);
        CString lowerKey(kKeyA);
        lowerKey.MakeLower();
        system.AddController(kInterfaceA, lowerKey, kRootHubA);
        system.interfaces.push_back(kInterfaceA);

        SimulatedUsbSystem::Device& root = system.AddHub(kRootHubA, 3);
        root.ports[1].connectionStatus = 1;
        root.ports[1].isHub = true;
        root.ports[1].hubName = kExternalHub;
        root.ports[1].driverKey = L"{36FC9E60-C465-11CF-8056-444553540000}\\0003";

        Port m = SimulatedUsbSystem::ConnectedPort(L"{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}\\0005", 0x046D, 0xC077);
        m.speed = 0;
        m.bcdUSB = 0x0110;
        m.iManufacturer = 1;
        m.iProduct = 2;
        m.iSerialNumber = 3;
        m.descriptors[{0, 0}] = SimulatedUsbSystem::LanguageDescriptor({0x0409});
        m.descriptors[{1, 0x0409}] = {7, 3, 'L', 0, 'o', 0, 'g'};         // odd length
        m.descriptors[{2, 0x0409}] = {8, 2, 'U', 0, 'S', 0, 'B', 0};      // not a string
        m.descriptors[{3, 0x0409}] = {10, 3, '1', 0, '2', 0};             // cut short
        root.ports[2] = m;

        SimulatedUsbSystem::Device& external = system.AddHub(kExternalHub, 4);
        Port f = SimulatedUsbSystem::ConnectedPort(L"{36FC9E60-C465-11CF-8056-444553540000}\\0004", 0x0781, 0x5567);
        f.speed = 2;
        f.iManufacturer = 1;
        f.iProduct = 2;
        f.iSerialNumber = 3;
        f.descriptors[{0, 0}] = SimulatedUsbSystem::LanguageDescriptor({0x0411, 0x0409});
        f.descriptors[{1, 0x0411}] = SimulatedUsbSystem::StringDescriptor(L"SanDisk");
        f.descriptors[{2, 0x0411}] = SimulatedUsbSystem::StringDescriptor(L"Cruzer Blade");
        f.descriptors[{3, 0x0411}] = SimulatedUsbSystem::StringDescriptor(L"4C530001230928115163");
        f.descriptors[{1, 0x0409}] = SimulatedUsbSystem::StringDescriptor(L"SanDisk Corporation");
        external.ports[0] = f;
        external.ports[3] = SimulatedUsbSystem::ConnectedPort(L"", 0x1234, 0x5678);
    }

    void BuildControllerB() {
        system.AddController(kInterfaceB, kKeyB, kRootHubB);
        system.interfaces.push_back(kInterfaceB);
        SimulatedUsbSystem::Device& root = system.AddHub(kRootHubB, 2);
        root.olderConnectionRequestOnly = true;
        Port k = SimulatedUsbSystem::ConnectedPort(L"{4D36E96B-E325-11CE-BFC1-08002BE10318}\\0001", 0x04F2, 0x0116);
        k.speed = 0;
        root.ports[0] = k;
        Port p = SimulatedUsbSystem::ConnectedPort(L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0002", 0x04B8, 0x0005);
        p.speed = 2;
        p.iProduct = 2;
        p.descriptors[{0, 0}] = SimulatedUsbSystem::LanguageDescriptor({});
        p.descriptors[{2, 0x0409}] = SimulatedUsbSystem::StringDescriptor(L"Printer");
        root.ports[1] = p;
    }

    void BuildNodes() {
        SimulatedUsbSystem& s = system;
        controllerA = s.AddNode(s.Root(), L"PCI\\VEN_8086&DEV_1C26&SUBSYS_04B01028&REV_05\\3&11583659&0&E8",
                                L"Intel(R) 6 Series/C200 Series Chipset Family USB Enhanced Host Controller - 1C26",
                                L"{36fc9e60-c465-11cf-8056-444553540000}\\0000", L"usbehci");
        rootHubA = s.AddNode(controllerA, L"USB\\ROOT_HUB20\\4&2A5D1D8E&0", L"USB ルート ハブ",
                             L"{36FC9E60-C465-11CF-8056-444553540000}\\0002", L"usbhub");
        mouse = s.AddNode(rootHubA, L"USB\\VID_046D&PID_C077\\5&1B3C4A5E&0&3", L"USB 入力デバイス",
                          L"{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}\\0005", L"HidUsb");
        mouseHid = s.AddNode(mouse, L"HID\\VID_046D&PID_C077\\6&2F0D8A&0&0000", L"HID 準拠マウス");
        externalHub = s.AddNode(rootHubA, L"USB\\VID_05E3&PID_0608\\5&1B3C4A5E&0&2", L"汎用 USB ハブ",
                                L"{36FC9E60-C465-11CF-8056-444553540000}\\0003", L"usbhub3x");
        // The hub driver reports the key in upper case, the node stores it in lower case.
        flash = s.AddNode(externalHub, kFlashId, L"USB 大容量記憶装置",
                          L"{36fc9e60-c465-11cf-8056-444553540000}\\0004", L"USBSTOR");
        s.NodeOf(flash).texts[CM_DRP_ENUMERATOR_NAME] = L"USB";
        s.NodeOf(flash).texts[CM_DRP_CLASSGUID] = L"{36fc9e60-c465-11cf-8056-444553540000}";
        s.NodeOf(flash).multiTexts[CM_DRP_LOWERFILTERS] = {L"FltA", L"FltB"};
        s.NodeOf(flash).problem = 0x2B; // reported only with the status
        s.NodeOf(flash).removalRelations = {kPortableId};
        disk = s.AddNode(flash, kDiskId, L"ディスク ドライブ");
        s.NodeOf(disk).texts[CM_DRP_FRIENDLYNAME] = L"SanDisk Cruzer Blade USB Device";
        s.NodeOf(disk).removalRelations = {kVolumeEId};
        cdrom = s.AddNode(flash, kCdromId, L"CD-ROM ドライブ");
        unreadable = s.AddNode(externalHub, L"USB\\VID_1234&PID_5678\\5&0&0&4", L"不明なデバイス");

        controllerB = s.AddNode(s.Root(), L"PCI\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01\\3&267A616A&0&3A",
                                L"Intel(R) 82371AB/EB PCI to USB ユニバーサル ホスト コントローラー", kKeyB, L"uhcd");
        rootHubB = s.AddNode(controllerB, L"USB\\ROOT_HUB\\4&1FA6B6D&0", L"USB Root Hub");
        keyboard = s.AddNode(rootHubB, L"USB\\VID_04F2&PID_0116\\5&3A2B1C&0&1", L"USB 入力デバイス",
                             L"{4D36E96B-E325-11CE-BFC1-08002BE10318}\\0001");
        printer = s.AddNode(rootHubB, L"USB\\VID_04B8&PID_0005\\L12345", L"USB 印刷サポート",
                            L"{4D36E979-E325-11CE-BFC1-08002BE10318}\\0002");

        const DEVINST volumes = s.AddNode(s.Root(), L"ROOT\\VOLMGR\\0000", L"ボリューム マネージャー");
        volumeE = s.AddNode(volumes, kVolumeEId, L"汎用ボリューム");
        volumeC = s.AddNode(volumes, kVolumeCId, L"汎用ボリューム");
        const DEVINST portables = s.AddNode(s.Root(), L"SWD\\WPDBUSENUM\\0000", L"ポータブル デバイス");
        portable = s.AddNode(portables, kPortableId, L"CRUZER");
        s.AddNode(portables, L"SWD\\WPDBUSENUM\\{PHONE}", L"Phone");
    }
};
