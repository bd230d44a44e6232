#pragma once
// Owning wrappers for system handles, scope-exit actions and the saved last error.
//
// Who owns what:
// - A TUniqueResource owns one handle and closes it exactly once: in its destructor, in
//   reset(), or when another handle is moved into it. It cannot be copied; a move hands
//   the handle over and leaves the source empty.
// - Every alias below fixes the family's invalid value: null for kernel objects, service
//   handles, registry keys, modules and lock holds; INVALID_HANDLE_VALUE for files, find
//   handles and device-info sets. Ask the wrapper (explicit bool) whether it holds
//   something; never compare get() with the other family's constant.
// - get() lends the handle and the wrapper still closes it. release() gives it away: from
//   then on the caller closes it, or hands it to whoever does.
// - put() closes what the wrapper holds and returns the address of its storage, for the
//   functions that return a new handle through an out-parameter.
// - Closing leaves GetLastError as it was, so cleanup on the way out of a failed call
//   never replaces that call's error.
// - Pseudo-handles (GetCurrentProcess) and the predefined registry keys (HKEY_CURRENT_USER)
//   belong to the system: never wrap them.
#include <windows.h>

#include <type_traits>
#include <utility>

// Saves GetLastError when constructed and puts it back when destroyed: wrap cleanup
// calls that may fail (or succeed and clear the value) between a failure and its report.
class LastErrorSaver {
public:
    LastErrorSaver() noexcept : m_error(::GetLastError()) {}
    ~LastErrorSaver() { ::SetLastError(m_error); }
    LastErrorSaver(const LastErrorSaver&) = delete;
    LastErrorSaver& operator=(const LastErrorSaver&) = delete;

    DWORD Saved() const noexcept { return m_error; }

private:
    DWORD m_error;
};

// Owns one handle of type Pointer. Close is called on a held handle only; InvalidBits is
// the bit pattern of the value that means "nothing held" (0 or -1).
template <class Pointer, void (*Close)(Pointer) noexcept, INT_PTR InvalidBits = 0>
class TUniqueResource {
public:
    using pointer = Pointer;
    static constexpr INT_PTR kInvalidBits = InvalidBits;

    static Pointer Invalid() noexcept { return reinterpret_cast<Pointer>(InvalidBits); }

    TUniqueResource() noexcept : m_value(Invalid()) {}
    explicit TUniqueResource(Pointer value) noexcept : m_value(value) {}
    ~TUniqueResource() { reset(); }

    TUniqueResource(TUniqueResource&& other) noexcept : m_value(other.release()) {}
    TUniqueResource& operator=(TUniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    TUniqueResource(const TUniqueResource&) = delete;
    TUniqueResource& operator=(const TUniqueResource&) = delete;

    Pointer get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Invalid(); }

    [[nodiscard]] Pointer release() noexcept { return std::exchange(m_value, Invalid()); }

    // Closes the held handle (if any) and takes value. Taking the handle already held
    // keeps it open.
    void reset(Pointer value = Invalid()) noexcept {
        const Pointer old = std::exchange(m_value, value);
        if (old == Invalid() || old == value) return;
        LastErrorSaver keep;
        Close(old);
    }

    Pointer* put() noexcept {
        reset();
        return &m_value;
    }

    void swap(TUniqueResource& other) noexcept { std::swap(m_value, other.m_value); }

private:
    Pointer m_value;
};

// The close functions of the families below.
namespace ResourceClose {
void Handle(HANDLE handle) noexcept;           // CloseHandle
void Find(HANDLE handle) noexcept;             // FindClose
void FindVolume(HANDLE handle) noexcept;       // FindVolumeClose
void DeviceInfoSet(void* set) noexcept;        // SetupDiDestroyDeviceInfoList (HDEVINFO)
void Service(SC_HANDLE handle) noexcept;       // CloseServiceHandle
void Key(HKEY key) noexcept;                   // RegCloseKey
void Module(HMODULE module) noexcept;          // FreeLibrary
void ReleaseSemaphoreOnce(HANDLE semaphore) noexcept;
void LeaveSection(CRITICAL_SECTION* section) noexcept;
}  // namespace ResourceClose

// Events, semaphores, threads, processes, tokens, mappings: null when empty.
using UniqueHandle = TUniqueResource<HANDLE, &ResourceClose::Handle>;
// Files, devices and pipes from CreateFileW/CreateNamedPipeW: INVALID_HANDLE_VALUE when empty.
using UniqueFile = TUniqueResource<HANDLE, &ResourceClose::Handle, -1>;
using UniqueFindHandle = TUniqueResource<HANDLE, &ResourceClose::Find, -1>;
using UniqueFindVolume = TUniqueResource<HANDLE, &ResourceClose::FindVolume, -1>;
using UniqueDeviceInfoSet = TUniqueResource<void*, &ResourceClose::DeviceInfoSet, -1>;
using UniqueServiceHandle = TUniqueResource<SC_HANDLE, &ResourceClose::Service>;
using UniqueHKEY = TUniqueResource<HKEY, &ResourceClose::Key>;
using UniqueModule = TUniqueResource<HMODULE, &ResourceClose::Module>;

// One count of a semaphore, released when the hold ends.
using SemaphoreHold = TUniqueResource<HANDLE, &ResourceClose::ReleaseSemaphoreOnce>;
// An entered critical section, left when the hold ends.
using CriticalSectionHold = TUniqueResource<CRITICAL_SECTION*, &ResourceClose::LeaveSection>;

// Waits for one count of the semaphore; the hold is empty when the wait did not succeed
// (time-out, failure), and then nothing is released.
[[nodiscard]] SemaphoreHold HoldSemaphore(HANDLE semaphore, DWORD timeoutMs = INFINITE) noexcept;
[[nodiscard]] CriticalSectionHold HoldCriticalSection(CRITICAL_SECTION* section) noexcept;

// Runs an action when the scope ends, unless release() was called. The action must not
// throw: it runs from a destructor.
template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F action) noexcept(std::is_nothrow_move_constructible_v<F>)
        : m_action(std::move(action)) {}
    TScopeExit(TScopeExit&& other) noexcept(std::is_nothrow_move_constructible_v<F>)
        : m_action(std::move(other.m_action)), m_armed(std::exchange(other.m_armed, false)) {}
    ~TScopeExit() {
        if (m_armed) m_action();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    TScopeExit& operator=(TScopeExit&&) = delete;

    void release() noexcept { m_armed = false; }

private:
    F m_action;
    bool m_armed = true;
};

template <class F>
[[nodiscard]] TScopeExit<std::decay_t<F>> ScopeExit(F&& action) {
    return TScopeExit<std::decay_t<F>>(std::forward<F>(action));
}
