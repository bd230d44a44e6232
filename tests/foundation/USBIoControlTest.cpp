// The hub and controller requests against drivers that answer wrongly: every length a
// driver reports is checked against the buffer it wrote into.
#include <gtest/gtest.h>

#include <cstring>

#include "foundation/USBIoControl.h"
#include "tests/foundation/SimulatedUsbSystem.h"

namespace {

const wchar_t* kController = L"\\\\.\\HCD3";
const wchar_t* kHub = L"HUB#1";

using Answer = SimulatedUsbSystem::Answer;

// A name answer: [port] ActualLength text, reported as `returned` bytes.
Answer NameAnswer(DWORD actualLength, const wchar_t* text, DWORD returned, bool withPort = false) {
    Answer a;
    if (withPort) a.bytes.resize(4, 0);
    a.bytes.resize(a.bytes.size() + 4);
    memcpy(a.bytes.data() + a.bytes.size() - 4, &actualLength, 4);
    const BYTE* t = reinterpret_cast<const BYTE*>(text);
    a.bytes.insert(a.bytes.end(), t, t + 2 * wcslen(text));
    a.returned = returned;
    return a;
}

Answer DescriptorAnswer(std::vector<BYTE> descriptor, DWORD returned) {
    Answer a;
    a.bytes.assign(12, 0);
    a.bytes.insert(a.bytes.end(), descriptor.begin(), descriptor.end());
    a.returned = returned;
    return a;
}

struct Machine {
    SimulatedUsbSystem system;
    CUSBIoControl controller{system};
    CUSBIoControl hub{system};

    Machine() {
        system.AddController(kController, L"{36FC9E60-C465-11CF-8056-444553540000}\\0007", kHub);
        SimulatedUsbSystem::Device& h = system.AddHub(kHub, 2);
        h.ports[0] = SimulatedUsbSystem::ConnectedPort(L"{36FC9E60-C465-11CF-8056-444553540000}\\0011", 1, 2);
        h.ports[0].descriptors[{0, 0}] = SimulatedUsbSystem::LanguageDescriptor({});
        std::vector<BYTE> stick = SimulatedUsbSystem::StringDescriptor(L"Stick#hidden");
        stick[2 + 2 * 5] = 0; // a NUL inside the descriptor ends the text
        h.ports[0].descriptors[{1, 0x0409}] = stick;
        EXPECT_EQ(1, controller.Open(kController));
        EXPECT_EQ(1, hub.Open(CString(L"\\\\.\\") + kHub));
    }
    std::deque<Answer>& Canned(const wchar_t* path, DWORD code) { return system.DeviceAt(path).canned[code]; }
    std::deque<Answer>& HubCanned(DWORD code) { return Canned(CString(L"\\\\.\\") + kHub, code); }
};

}  // namespace

TEST(USBIoControl, NamesAreReadInOneOrTwoRequests) {
    Machine m;
    CString text = L"old";
    EXPECT_EQ(1, m.controller.GetHcdDriverKeyName(text));
    EXPECT_EQ(CString(L"{36FC9E60-C465-11CF-8056-444553540000}\\0007"), text);
    EXPECT_EQ(2, m.system.requests[USBIoctl::GetHcdDriverKeyName]);
    EXPECT_EQ(1, m.controller.GetRootHubName(text));
    EXPECT_EQ(CString(kHub), text);
    EXPECT_EQ(1, m.hub.GetNodeConnectionDriverKeyName(1, text));
    EXPECT_EQ(CString(L"{36FC9E60-C465-11CF-8056-444553540000}\\0011"), text);
    // No hub on the port: no name, and the text is emptied.
    EXPECT_EQ(0, m.hub.GetNodeConnectionName(1, text));
    EXPECT_TRUE(text.IsEmpty());

    // An empty name fits into the first answer: no second request.
    m.Canned(kController, USBIoctl::GetHcdDriverKeyName).push_back(NameAnswer(6, L"", 6));
    const int before = m.system.requests[USBIoctl::GetHcdDriverKeyName];
    EXPECT_EQ(1, m.controller.GetHcdDriverKeyName(text));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(before + 1, m.system.requests[USBIoctl::GetHcdDriverKeyName]);
}

TEST(USBIoControl, NameAnswersWithImpossibleLengthsAreRejected) {
    Machine m;
    auto& canned = m.Canned(kController, USBIoctl::GetHcdDriverKeyName);
    CString text;

    // ActualLength of 2^32 - 1: not even a second request.
    canned.push_back(NameAnswer(0xFFFFFFFF, L"", 6));
    EXPECT_EQ(0, m.controller.GetHcdDriverKeyName(text));
    EXPECT_EQ(1, m.system.requests[USBIoctl::GetHcdDriverKeyName]);

    // A length shorter than its own header.
    canned.push_back(NameAnswer(2, L"", 6));
    EXPECT_EQ(0, m.controller.GetHcdDriverKeyName(text));

    // The second answer claims more bytes than its buffer holds.
    canned.push_back(NameAnswer(20, L"", 6));
    canned.push_back(NameAnswer(20, L"ABCDEFGH", 21));
    EXPECT_EQ(0, m.controller.GetHcdDriverKeyName(text));

    // The second answer's ActualLength exceeds its buffer: only what was written is read.
    canned.push_back(NameAnswer(12, L"", 6));
    canned.push_back(NameAnswer(0x7FFFFFFF, L"ABCDEFGHIJKLMNOP", 12));
    EXPECT_EQ(1, m.controller.GetHcdDriverKeyName(text));
    EXPECT_EQ(CString(L"ABCD"), text);

    // The second answer is shorter than the header.
    canned.push_back(NameAnswer(12, L"", 6));
    canned.push_back(NameAnswer(12, L"ABCD", 3));
    EXPECT_EQ(0, m.controller.GetHcdDriverKeyName(text));

    // The same checks hold for the requests with a port in front.
    m.HubCanned(USBIoctl::GetNodeConnectionDriverKeyName).push_back(NameAnswer(0xFFFFFFFF, L"", 10, true));
    EXPECT_EQ(0, m.hub.GetNodeConnectionDriverKeyName(1, text));
    m.HubCanned(USBIoctl::GetNodeConnectionDriverKeyName).push_back(NameAnswer(14, L"", 10, true));
    m.HubCanned(USBIoctl::GetNodeConnectionDriverKeyName).push_back(NameAnswer(0xFFFFFFFF, L"WXYZ", 12, true));
    EXPECT_EQ(1, m.hub.GetNodeConnectionDriverKeyName(1, text));
    EXPECT_EQ(CString(L"WX"), text);
}

TEST(USBIoControl, HubAnswersLargerThanTheirBuffersAreRejected) {
    Machine m;
    UINT ports = 9;
    EXPECT_EQ(1, m.hub.GetPortCount(ports));
    EXPECT_EQ(2u, ports);
    Answer big;
    big.bytes.assign(76, 0);
    big.bytes[6] = 200;
    big.returned = 77;
    m.HubCanned(USBIoctl::GetNodeInformation).push_back(big);
    EXPECT_EQ(0, m.hub.GetPortCount(ports));
    EXPECT_EQ(0u, ports);

    std::vector<BYTE> info;
    Answer connection;
    connection.bytes.assign(35, 0);
    connection.bytes[31] = 1;
    connection.returned = 366;
    m.HubCanned(USBIoctl::GetNodeConnectionInformationEx).push_back(connection);
    EXPECT_EQ(0, m.hub.GetNodeConnectionInformation(1, info));
    EXPECT_EQ(0, m.system.requests[USBIoctl::GetNodeConnectionInformation]); // no fallback
    connection.returned = 34;
    m.HubCanned(USBIoctl::GetNodeConnectionInformationEx).push_back(connection);
    EXPECT_EQ(0, m.hub.GetNodeConnectionInformation(1, info));

    // The older request is checked the same way.
    m.system.DeviceAt(CString(L"\\\\.\\") + kHub).olderConnectionRequestOnly = true;
    connection.returned = 400;
    m.HubCanned(USBIoctl::GetNodeConnectionInformation).push_back(connection);
    EXPECT_EQ(0, m.hub.GetNodeConnectionInformation(1, info));
    EXPECT_EQ(1, m.hub.GetNodeConnectionInformation(1, info));
    ASSERT_EQ(365u, info.size());
    EXPECT_EQ(1, info[USBLayout::kSpeed]); // high speed reads as full speed
    EXPECT_EQ(1, info[USBLayout::kConnectionStatus]);
}

TEST(USBIoControl, StringDescriptorsMustMatchTheirAnswer) {
    Machine m;
    CString text;
    EXPECT_EQ(1, m.hub.GetString(1, 1, 0x0409, text));
    EXPECT_EQ(CString(L"Stick"), text); // up to the first NUL
    std::vector<USHORT> ids = {7};
    EXPECT_EQ(1, m.hub.GetLanguageIds(1, ids)); // a descriptor of two bytes: no languages
    EXPECT_TRUE(ids.empty());

    auto& canned = m.HubCanned(USBIoctl::GetDescriptorFromNodeConnection);
    canned.push_back(DescriptorAnswer({6, 3, 'a', 0, 'b', 0}, 300));      // more than the buffer
    canned.push_back(DescriptorAnswer({255, 3, 'a', 0, 'b', 0}, 18));     // longer than returned
    canned.push_back(DescriptorAnswer({4, 3, 'a', 0, 'b', 0}, 18));       // shorter than returned
    canned.push_back(DescriptorAnswer({2, 3}, 13));                       // not even two bytes
    canned.push_back(DescriptorAnswer({5, 3, 'a', 0, 'b'}, 17));          // odd
    canned.push_back(DescriptorAnswer({6, 1, 'a', 0, 'b', 0}, 18));       // not a string
    for (size_t n = canned.size(); n > 0; --n) {
        text = L"old";
        EXPECT_EQ(0, m.hub.GetString(1, 1, 0x0409, text)) << n;
        EXPECT_TRUE(text.IsEmpty());
    }
    canned.push_back(DescriptorAnswer({6, 3, 0x09, 0x04, 0x11, 0x04}, 18));
    EXPECT_EQ(1, m.hub.GetLanguageIds(1, ids));
    EXPECT_EQ((std::vector<USHORT>{0x0409, 0x0411}), ids);
}
