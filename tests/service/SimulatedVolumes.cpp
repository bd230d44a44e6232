#include "tests/service/SimulatedVolumes.h"

#include <cstring>

namespace TestVolumes {

namespace {

class Device : public Swiftlet::IVolumeDevice {
public:
    Device(SimulatedVolumes& owner, const std::map<DWORD, Answer>& answers) : m_owner(owner), m_answers(answers) {}
    ~Device() override { ++m_owner.closed; }

    bool Control(DWORD code, void* out, DWORD outSize, DWORD& bytesReturned) override {
        m_owner.codes.push_back(code);
        auto it = m_answers.find(code);
        if (it == m_answers.end()) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return false;
        }
        std::memcpy(out, it->second.bytes.data(), std::min<size_t>(outSize, it->second.bytes.size()));
        bytesReturned = it->second.bytesReturned;
        return true;
    }

private:
    SimulatedVolumes& m_owner;
    std::map<DWORD, Answer> m_answers;
};

}  // namespace

std::unique_ptr<Swiftlet::IVolumeDevice> SimulatedVolumes::Open(const wchar_t* path) {
    opened.push_back(path);
    std::wstring p(path);
    if (p.size() != 6 || p.compare(0, 4, L"\\\\.\\") != 0 || p[5] != L':') return nullptr;
    auto it = volumes.find(static_cast<wchar_t>(towupper(p[4])));
    if (it == volumes.end()) return nullptr;
    return std::make_unique<Device>(*this, it->second);
}

}  // namespace TestVolumes
