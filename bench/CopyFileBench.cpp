// The copy path most Windows programs take, as a peer for the copy benchmark: walks a
// source folder and copies it to a target folder the way Explorer's copy does, one
// CreateDirectoryExW per folder (attributes from the source folder) and one CopyFileExW
// per file with a progress routine. Knows nothing of Swiftlet.
//
//   CopyFileBench.exe SOURCE TARGET   copy the folder or file SOURCE as TARGET (which must not exist)
//   CopyFileBench.exe /start          do nothing: the cost of starting a process
//
// Prints "files=N folders=N bytes=N" and exits 0, or names the first failure and exits 1.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring LongPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring FullPath(const wchar_t* path) {
    wchar_t buffer[32768];
    const DWORD n = GetFullPathNameW(path, 32768, buffer, nullptr);
    std::wstring full = (n > 0 && n < 32768) ? std::wstring(buffer, n) : std::wstring(path);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

DWORD CALLBACK Progress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                        HANDLE, HANDLE, LPVOID) {
    return PROGRESS_CONTINUE;
}

struct Totals {
    unsigned long long files = 0, folders = 0, bytes = 0;
};

bool Fail(const wchar_t* what, const std::wstring& path) {
    const DWORD error = GetLastError();
    fwprintf(stderr, L"CopyFileBench: %ls failed for %ls (error %lu)\n", what, path.c_str(), error);
    return false;
}

// Folders are created before their contents, depth first, with an explicit stack.
bool CopyTree(const std::wstring& source, const std::wstring& target, Totals& totals) {
    std::vector<std::pair<std::wstring, std::wstring>> pending{{source, target}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        if (!CreateDirectoryExW(LongPath(from).c_str(), LongPath(to).c_str(), nullptr))
            return Fail(L"CreateDirectoryExW", to);
        ++totals.folders;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(LongPath(from + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return Fail(L"FindFirstFileW", from);
        std::vector<std::pair<std::wstring, std::wstring>> subfolders;
        bool ok = true;
        do {
            if (!wcscmp(data.cFileName, L".") || !wcscmp(data.cFileName, L"..")) continue;
            const std::wstring src = from + L"\\" + data.cFileName;
            const std::wstring dst = to + L"\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                subfolders.emplace_back(src, dst);
                continue;
            }
            BOOL cancel = FALSE;
            if (!CopyFileExW(LongPath(src).c_str(), LongPath(dst).c_str(), Progress, nullptr, &cancel,
                             COPY_FILE_FAIL_IF_EXISTS)) {
                ok = Fail(L"CopyFileExW", src);
                break;
            }
            ++totals.files;
            totals.bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        } while (FindNextFileW(find, &data));
        FindClose(find);
        if (!ok) return false;
        // Reversed, so that the stack visits them in the order the search listed them.
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && !_wcsicmp(argv[1], L"/start")) return 0;
    if (argc != 3) {
        fwprintf(stderr, L"usage: CopyFileBench SOURCE TARGET | /start\n");
        return 2;
    }
    Totals totals;
    const std::wstring source = FullPath(argv[1]), target = FullPath(argv[2]);
    const DWORD attributes = GetFileAttributesW(LongPath(source).c_str());
    bool ok;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ok = Fail(L"GetFileAttributesW", source);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        ok = CopyTree(source, target, totals);
    } else {
        BOOL cancel = FALSE;
        ok = CopyFileExW(LongPath(source).c_str(), LongPath(target).c_str(), Progress, nullptr, &cancel,
                         COPY_FILE_FAIL_IF_EXISTS) ||
             Fail(L"CopyFileExW", source);
        totals.files = ok ? 1 : 0;
    }
    if (!ok) return 1;
    printf("files=%llu folders=%llu bytes=%llu\n", totals.files, totals.folders, totals.bytes);
    return 0;
}
