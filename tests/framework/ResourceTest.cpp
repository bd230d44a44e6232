#include <gtest/gtest.h>

#include <string>

#include "framework/Resource.h"

namespace {

// ---- traits, checked by the compiler ----------------------------------------------

template <class T>
constexpr bool kMoveOnly = !std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T> &&
                           std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>;

static_assert(kMoveOnly<UniqueHandle> && kMoveOnly<UniqueFile> && kMoveOnly<UniqueFindHandle> &&
              kMoveOnly<UniqueFindVolume> && kMoveOnly<UniqueDeviceInfoSet> && kMoveOnly<UniqueServiceHandle> &&
              kMoveOnly<UniqueHKEY> && kMoveOnly<UniqueModule> && kMoveOnly<SemaphoreHold> &&
              kMoveOnly<CriticalSectionHold>);

static_assert(sizeof(UniqueHandle) == sizeof(HANDLE) && sizeof(UniqueFile) == sizeof(HANDLE) &&
              sizeof(UniqueDeviceInfoSet) == sizeof(HANDLE) && sizeof(UniqueHKEY) == sizeof(HKEY) &&
              sizeof(UniqueServiceHandle) == sizeof(SC_HANDLE) && sizeof(UniqueModule) == sizeof(HMODULE));

// The invalid value of each family.
static_assert(UniqueHandle::kInvalidBits == 0 && UniqueServiceHandle::kInvalidBits == 0 &&
              UniqueHKEY::kInvalidBits == 0 && UniqueModule::kInvalidBits == 0 &&
              SemaphoreHold::kInvalidBits == 0 && CriticalSectionHold::kInvalidBits == 0);
static_assert(UniqueFile::kInvalidBits == -1 && UniqueFindHandle::kInvalidBits == -1 &&
              UniqueFindVolume::kInvalidBits == -1 && UniqueDeviceInfoSet::kInvalidBits == -1);

// Same handle type, different families: neither turns into the other, nor into a raw
// handle or bool without asking.
static_assert(!std::is_same_v<UniqueHandle, UniqueFile>);
static_assert(!std::is_constructible_v<UniqueHandle, UniqueFile&&> &&
              !std::is_assignable_v<UniqueFile&, UniqueHandle&&>);
static_assert(!std::is_convertible_v<UniqueHandle, HANDLE> && !std::is_convertible_v<UniqueFile, bool> &&
              !std::is_convertible_v<HANDLE, UniqueHandle>);

using Action = TScopeExit<void (*)()>;
static_assert(!std::is_copy_constructible_v<Action> && std::is_move_constructible_v<Action>);

// ---- behaviour --------------------------------------------------------------------

std::wstring EventName(const wchar_t* tag) {
    return std::wstring(L"SwiftletResourceTest-") + tag + L"-" + std::to_wstring(GetCurrentProcessId());
}

// A named event lives as long as a handle to it: opening it by name tells whether the
// wrapper closed its handle.
bool EventExists(const std::wstring& name) {
    UniqueHandle probe(OpenEventW(SYNCHRONIZE, FALSE, name.c_str()));
    return static_cast<bool>(probe);
}

TEST(UniqueResourceTest, ResetAndDestructionCloseTheHandle) {
    const std::wstring name = EventName(L"reset");
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(event);
    EXPECT_TRUE(EventExists(name));
    event.reset();
    EXPECT_FALSE(event);
    EXPECT_EQ(event.get(), nullptr);
    EXPECT_FALSE(EventExists(name));

    {
        UniqueHandle scoped(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
        ASSERT_TRUE(EventExists(name));
    }
    EXPECT_FALSE(EventExists(name));
}

TEST(UniqueResourceTest, ReleaseHandsTheHandleOverWithoutClosing) {
    const std::wstring name = EventName(L"release");
    HANDLE raw = nullptr;
    {
        UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
        raw = event.release();
        EXPECT_FALSE(event);
    }
    ASSERT_NE(raw, nullptr);
    EXPECT_TRUE(EventExists(name));
    CloseHandle(raw);
    EXPECT_FALSE(EventExists(name));
}

TEST(UniqueResourceTest, MoveLeavesTheSourceEmptyAndClosesOnce) {
    const std::wstring first = EventName(L"move1");
    const std::wstring second = EventName(L"move2");
    UniqueHandle source(CreateEventW(nullptr, TRUE, FALSE, first.c_str()));
    const HANDLE raw = source.get();
    UniqueHandle target(std::move(source));
    EXPECT_FALSE(source);
    EXPECT_EQ(target.get(), raw);
    EXPECT_TRUE(EventExists(first));

    // Assigning over a held handle closes the old one.
    UniqueHandle other(CreateEventW(nullptr, TRUE, FALSE, second.c_str()));
    target = std::move(other);
    EXPECT_FALSE(other);
    EXPECT_FALSE(EventExists(first));
    EXPECT_TRUE(EventExists(second));

    UniqueHandle& same = target;
    target = std::move(same);
    EXPECT_TRUE(EventExists(second));
    target.reset(target.get());
    EXPECT_TRUE(EventExists(second));
}

TEST(UniqueResourceTest, FileFamilyIsEmptyAtInvalidHandleValue) {
    UniqueFile missing(CreateFileW(L"Z:\\no\\such\\folder\\file.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueFile().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueDeviceInfoSet().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueHandle().get(), nullptr);

    // A file opened to be deleted on close is gone once the wrapper lets it go.
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(GetTempFileNameW(folder, L"res", 0, path), 0u);
    UniqueFile file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(file);
    file.reset();
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
}

TEST(UniqueResourceTest, PutFillsTheWrapperThroughAnOutParameter) {
    UniqueHKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.put()), ERROR_SUCCESS);
    EXPECT_TRUE(key);
    DWORD subkeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);

    UniqueHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
    EXPECT_TRUE(token);
}

// A close function that fails the way a real one does, for the test below.
int g_failingCloses = 0;
void FailingClose(HANDLE) noexcept {
    ++g_failingCloses;
    SetLastError(ERROR_INVALID_HANDLE);
}

TEST(UniqueResourceTest, ClosingKeepsTheLastErrorOfTheFailedCall) {
    using Failing = TUniqueResource<HANDLE, &FailingClose>;
    g_failingCloses = 0;
    {
        Failing resource(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1234)));
        SetLastError(ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(g_failingCloses, 1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(LastErrorSaverTest, RestoresTheErrorAcrossAFailingCleanupCall) {
    SetLastError(ERROR_DISK_FULL);
    {
        LastErrorSaver saver;
        EXPECT_EQ(saver.Saved(), static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_FALSE(DeleteFileW(L"Z:\\no\\such\\folder\\partial.tmp"));
        EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
}

TEST(ScopeExitTest, RunsOnceAtScopeEndUnlessReleased) {
    int runs = 0;
    {
        auto action = ScopeExit([&runs] { ++runs; });
        auto moved = std::move(action);
        EXPECT_EQ(runs, 0);
    }
    EXPECT_EQ(runs, 1);
    {
        auto action = ScopeExit([&runs] { ++runs; });
        action.release();
    }
    EXPECT_EQ(runs, 1);
}

TEST(LockHoldTest, SemaphoreHoldReleasesOnlyWhatItTook) {
    UniqueHandle semaphore(CreateSemaphoreW(nullptr, 1, 2, nullptr));
    ASSERT_TRUE(semaphore);
    {
        SemaphoreHold hold = HoldSemaphore(semaphore.get());
        EXPECT_TRUE(hold);
        EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    // The one count is back, and only one.
    EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    {
        // Nothing to take: the hold stays empty and must not add a count on the way out.
        SemaphoreHold hold = HoldSemaphore(semaphore.get(), 0);
        EXPECT_FALSE(hold);
    }
    EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

DWORD WINAPI TryEnter(LPVOID section) {
    if (!TryEnterCriticalSection(static_cast<CRITICAL_SECTION*>(section))) return 0;
    LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(section));
    return 1;
}

DWORD TryEnterFromAnotherThread(CRITICAL_SECTION* section) {
    UniqueHandle thread(CreateThread(nullptr, 0, &TryEnter, section, 0, nullptr));
    if (!thread) return 2;
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 2;
    GetExitCodeThread(thread.get(), &code);
    return code;
}

TEST(LockHoldTest, CriticalSectionHoldLeavesAtScopeEnd) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    {
        CriticalSectionHold hold = HoldCriticalSection(&section);
        EXPECT_TRUE(hold);
        EXPECT_EQ(TryEnterFromAnotherThread(&section), 0u);
    }
    EXPECT_EQ(TryEnterFromAnotherThread(&section), 1u);
    DeleteCriticalSection(&section);
}

}  // namespace
