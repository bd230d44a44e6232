#include "tests/support/TestFiles.h"

#include <shlwapi.h>

#include <algorithm>
#include <atomic>

namespace TestFiles {

TempDir::TempDir(const wchar_t* tag) {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, base);
    for (;;) {
        m_path.Format(L"%sswiftlet-%s-%u-%u-%u", base, tag, GetCurrentProcessId(), GetTickCount(), counter++);
        if (CreateDirectoryW(m_path, nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TempDir::~TempDir() { DeleteTree(m_path); }

CString TempDir::operator/(const wchar_t* relative) const { return m_path + L"\\" + relative; }

bool MakeFolders(const CString& path) {
    if (path.IsEmpty()) return false;
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return true;
    int slash = path.ReverseFind(L'\\');
    if (slash > 2) MakeFolders(path.Left(slash));
    return CreateDirectoryW(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteBytes(const CString& path, const std::string& bytes) {
    int slash = path.ReverseFind(L'\\');
    if (slash > 0) MakeFolders(path.Left(slash));
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                                written == bytes.size());
    CloseHandle(h);
    return ok;
}

bool WritePattern(const CString& path, unsigned long long size, unsigned seed) {
    int slash = path.ReverseFind(L'\\');
    if (slash > 0) MakeFolders(path.Left(slash));
    HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // Small files are most of what tests write: no megabyte buffer for each of them.
    std::string chunk(static_cast<size_t>(std::min<unsigned long long>(size, 1 << 20)), '\0');
    unsigned long long x = seed * 0x9E3779B97F4A7C15ULL + 1;
    bool ok = true;
    for (unsigned long long done = 0; ok && done < size;) {
        size_t n = static_cast<size_t>(std::min<unsigned long long>(chunk.size(), size - done));
        for (size_t i = 0; i < n; ++i) {
            x ^= x << 13; x ^= x >> 7; x ^= x << 17;
            chunk[i] = static_cast<char>(x >> 24);
        }
        DWORD written = 0;
        ok = WriteFile(h, chunk.data(), static_cast<DWORD>(n), &written, nullptr) && written == n;
        done += n;
    }
    CloseHandle(h);
    return ok;
}

bool ReadBytes(const CString& path, std::string& bytes) {
    bytes.clear();
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(h);
    return true;
}

bool Exists(const CString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

void DeleteTree(const CString& path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path);
        return;
    }
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(path + L"\\*", &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) DeleteTree(path + L"\\" + fd.cFileName);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path);
}

CString ExeFolder() {
    wchar_t module[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    CString s(module, static_cast<int>(n));
    return s.Left(s.ReverseFind(L'\\'));
}

int RunProcess(const CString& commandLine, DWORD timeoutMs) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    CString line = commandLine;
    if (!CreateProcessW(nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    line.ReleaseBuffer();
    int result = -1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        result = static_cast<int>(code);
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
}

}  // namespace TestFiles
