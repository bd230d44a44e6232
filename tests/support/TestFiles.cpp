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

UnixTempDir::UnixTempDir() {
    static std::atomic<unsigned> counter{0};
    CreateDirectoryW(L"Z:\\tmp", nullptr);
    for (;;) {
        m_path.Format(L"Z:\\tmp\\swiftlet-z-%u-%u-%u", GetCurrentProcessId(), GetTickCount(), counter++);
        if (CreateDirectoryW(m_path, nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

UnixTempDir::~UnixTempDir() {
    DeleteTree(m_path);
}

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

namespace {

using WineUnixNameType = char*(CDECL*)(LPCWSTR);
using WineDosNameType = WCHAR*(CDECL*)(LPCSTR);

// Wine's own name conversions; null on Windows.
WineUnixNameType WineUnixName() {
    return reinterpret_cast<WineUnixNameType>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

WineDosNameType WineDosName() {
    return reinterpret_cast<WineDosNameType>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
}

std::string UnixPathOf(const CString& path) {
    WineUnixNameType convert = WineUnixName();
    if (!convert) return std::string();
    char* converted = convert(path);
    if (!converted) return std::string();
    std::string result(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
    return wide;
}

// Runs a program of the Unix system under Wine with Unix arguments (no spaces in them);
// true when it ended with 0. Wine starts a Unix program without a process object to
// wait on, so the program's shell writes its exit code to a file when it is done.
bool RunUnix(const char* program, const std::vector<std::string>& arguments) {
    static std::atomic<unsigned> counter{0};
    WineDosNameType convert = WineDosName();
    if (!convert) return false;
    WCHAR* shell = convert("/bin/sh");
    if (!shell) return false;
    const CString shellPath(shell);
    HeapFree(GetProcessHeap(), 0, shell);

    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    CString status;
    status.Format(L"%sswiftlet-unix-%u-%u-%u.status", base, GetCurrentProcessId(), GetTickCount(), counter++);
    const std::string unixStatus = UnixPathOf(status);
    if (unixStatus.empty()) return false;

    CString line = L"\"" + shellPath + L"\" -c \"P=$1; S=$2; shift 2; $P $@; echo $? >$S.tmp; mv $S.tmp $S\" sh";
    line += L" " + CString(Wide(program).c_str()) + L" " + CString(Wide(unixStatus).c_str());
    for (const std::string& argument : arguments) line += L" " + CString(Wide(argument).c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    CString commandLine = line;
    if (!CreateProcessW(nullptr, commandLine.GetBuffer(commandLine.GetLength() + 1), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &si, &pi))
        return false;
    commandLine.ReleaseBuffer();
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    for (int waited = 0; waited < 60000 && !Exists(status); waited += 10) Sleep(10);
    std::string code;
    const bool done = ReadBytes(status, code);
    DeleteFileW(status);
    return done && code.size() >= 1 && code[0] == '0';
}

std::string UnixLinkTarget(const CString& target) {
    // A full Windows path becomes the Unix path it stands for; a relative one keeps its
    // form with Unix separators.
    if (target.GetLength() >= 2 && target[1] == L':') return UnixPathOf(target);
    CString relative = target;
    relative.Replace(L'\\', L'/');
    const int length = WideCharToMultiByte(CP_UTF8, 0, relative, -1, nullptr, 0, nullptr, nullptr);
    std::string result(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, relative, -1, &result[0], length, nullptr, nullptr);
    return result;
}

}  // namespace

LinkMaker::~LinkMaker() {
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) RemoveLink(*it);
}

bool LinkMaker::Make(const CString& link, const CString& target, bool folder) {
    bool made;
    if (WineUnixName()) {
        const std::string unixLink = UnixPathOf(link);
        const std::string unixTarget = UnixLinkTarget(target);
        made = !unixLink.empty() && !unixTarget.empty() && RunUnix("/bin/ln", {"-s", unixTarget, unixLink});
    } else {
        const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // unprivileged, where allowed
        made = CreateSymbolicLinkW(link, target, flags) != FALSE;
    }
    if (made) m_made.push_back(link);
    return made;
}

bool RemoveLink(const CString& link) {
    if (WineUnixName()) {
        const std::string unixLink = UnixPathOf(link);
        // rm without -r removes the link, never what it leads to.
        return !unixLink.empty() && RunUnix("/bin/rm", {"-f", unixLink});
    }
    const DWORD attributes = GetFileAttributesW(link);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(link) != FALSE : DeleteFileW(link) != FALSE;
}

void DeleteTree(const CString& path) {
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveLink(path);
        return;
    }
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

bool SameFile(const CString& a, const CString& b) {
    std::string x, y;
    return ReadBytes(a, x) && ReadBytes(b, y) && x == y;
}

namespace {

void Collect(const CString& root, const CString& relative, std::vector<CString>& out) {
    WIN32_FIND_DATAW data;
    CString folder = relative.IsEmpty() ? root : root + L"\\" + relative;
    HANDLE find = FindFirstFileW(folder + L"\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        CString name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        CString child = relative.IsEmpty() ? name : relative + L"\\" + name;
        const DWORD folderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((data.dwFileAttributes & folderLink) == folderLink) {
            out.push_back(child + L"@");  // a link to a folder: never followed
        } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(child + L"\\");
            Collect(root, child, out);
        } else {
            out.push_back(child);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

std::vector<CString> ListTree(const CString& folder) {
    std::vector<CString> out;
    Collect(folder, CString(), out);
    std::sort(out.begin(), out.end());
    return out;
}

bool SameTree(const CString& a, const CString& b, CString* difference) {
    std::vector<CString> left = ListTree(a), right = ListTree(b);
    if (left != right) {
        if (difference)
            difference->Format(L"%d entries against %d", static_cast<int>(left.size()),
                               static_cast<int>(right.size()));
        return false;
    }
    for (const CString& entry : left) {
        if (entry[entry.GetLength() - 1] == L'\\' || entry[entry.GetLength() - 1] == L'@')
            continue;
        if (!SameFile(a + L"\\" + entry, b + L"\\" + entry)) {
            if (difference)
                *difference = entry;
            return false;
        }
    }
    return true;
}

}  // namespace TestFiles
