// Path string helpers: prefixing, full and long forms, splitting, parents, streams.
#include "foundation/Paths.h"

#include <vector>

namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

// A UNC path (\\server\share, \\?\UNC\server\share), as the system's shell functions
// answer on Windows; some of their imitations take every path that starts with two
// backslashes for one, the long-path form of a drive path included.
bool IsUncPath(const CString& path) {
    if (path.GetLength() < 2 || path[0] != L'\\' || path[1] != L'\\') return false;
    if (path.GetLength() >= 3 && path[2] == L'?') return path.Left(8).CompareNoCase(L"\\\\?\\UNC\\") == 0;
    return true;
}

// Calls a GetFullPathNameW-like function with a buffer that starts at twice the input
// length and grows until the result fits.
template <typename Call>
CString CallWithGrowingBuffer(const CString& path, Call call) {
    DWORD size = static_cast<DWORD>(path.GetLength()) * 2;
    if (size < MAX_PATH) size = MAX_PATH;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::vector<wchar_t> buffer(size + 1, L'\0');
        DWORD n = call(buffer.data(), size);
        if (n == 0) return CString();
        if (n < size) return CString(buffer.data(), static_cast<int>(n));
        // n is the size needed including the terminator.
        DWORD grown = size * 2;
        size = grown > n ? grown : n + 1;
    }
    return CString();
}

}  // namespace

CString ToLongPath(CString path) {
    if (IsUncPath(path)) return path;
    if (path.Left(4) == kLongPrefix) return path;
    return CString(kLongPrefix) + path;
}

CString GetFullPath(CString path) {
    if (path.IsEmpty()) return CString();
    return CallWithGrowingBuffer(path, [&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path, size, buffer, nullptr);
    });
}

CString GetLongPath(CString path) {
    if (path.IsEmpty()) return CString();
    return CallWithGrowingBuffer(path, [&](wchar_t* buffer, DWORD size) {
        return GetLongPathNameW(path, buffer, size);
    });
}

int SplitPath(CString path, CString* drive, CString* folder, CString* name, CString* extension) {
    const int length = path.GetLength();
    int start = 0;
    if (length >= 2 && path[1] == L':') start = 2;

    int lastSeparator = -1;
    for (int i = start; i < length; ++i) {
        if (IsSeparator(path[i])) lastSeparator = i;
    }
    const int nameStart = lastSeparator >= 0 ? lastSeparator + 1 : start;
    int dot = -1;
    for (int i = nameStart; i < length; ++i) {
        if (path[i] == L'.') dot = i;
    }
    const int nameEnd = dot >= 0 ? dot : length;

    if (drive) *drive = path.Left(start);
    if (folder) *folder = path.Mid(start, nameStart - start);
    if (name) *name = path.Mid(nameStart, nameEnd - nameStart);
    if (extension) *extension = dot >= 0 ? path.Mid(dot) : CString();
    return 1;
}

CString DriveRoot(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return CString(root);
}

CString GetModulePath() {
    DWORD size = 512;
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::vector<wchar_t> buffer(size + 1, L'\0');
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0) return CString();
        if (n < size) return CString(buffer.data(), static_cast<int>(n));
        size *= 2;
    }
    return CString();
}

CString GetFileNamePart(CString path) {
    CString name, extension;
    SplitPath(path, nullptr, nullptr, &name, &extension);
    return name + extension;
}

CString StripTrailingBackslash(CString path) {
    const int length = path.GetLength();
    if (length > 0 && path[length - 1] == L'\\') path.Truncate(length - 1);
    return path;
}

CString GetParentFolder(CString path) {
    path = StripTrailingBackslash(path);
    CString drive, folder, name, extension;
    SplitPath(path, &drive, &folder, &name, &extension);
    // A bare drive ("C:") has no parent; walks up a path end here.
    if (folder.IsEmpty() && name.IsEmpty() && extension.IsEmpty()) return CString();
    CString parent = StripTrailingBackslash(drive + folder);
    if (parent.GetLength() == 2 && parent[1] == L':') parent += L'\\';
    // A root written with a slash ("C:/", "/") is its own folder part: it has no parent,
    // and every walk up a path must end.
    if (parent == path) return CString();
    return parent;
}

int IsStreamPath(CString path) {
    return GetFileNamePart(path).Find(L':') >= 0 ? 1 : 0;
}

CString StripStreamSuffix(CString path) {
    CString drive, folder, name, extension;
    SplitPath(path, &drive, &folder, &name, &extension);
    CString file = name + extension;
    const int colon = file.Find(L':');
    if (colon >= 0) file = file.Left(colon);
    return drive + folder + file;
}

CString GetVolumeRoot(CString path) {
    // \\?\UNC\server\share\x names the share \\server\share\.
    if (path.Left(8).CompareNoCase(L"\\\\?\\UNC\\") == 0) path = L"\\\\" + path.Mid(8);
    if (IsUncPath(path)) {
        const int serverEnd = path.Find(L'\\', 2);
        if (serverEnd < 0) return path + L"\\";
        if (serverEnd == path.GetLength() - 1) return path;  // \\server\ stays as it is
        const int shareEnd = path.Find(L'\\', serverEnd + 1);
        if (shareEnd < 0) return path + L"\\";
        return path.Left(shareEnd + 1);
    }
    if (path.IsEmpty()) return CString();
    // A prefixed drive path names its drive after the prefix.
    if (path.Left(4) == kLongPrefix && path.GetLength() >= 6 && path[5] == L':') return DriveRoot(path[4]);
    return DriveRoot(path[0]);
}

namespace {

// What IsOnSameRoot compares: the volume root, or for a long path that names its volume
// by name (\\?\Volume{...}\) that name.
CString RootToCompare(const CString& path) {
    const bool longForm = path.Left(4) == kLongPrefix;
    const bool drive = longForm && path.GetLength() >= 6 && path[5] == L':';
    if (longForm && !drive && path.Left(8).CompareNoCase(L"\\\\?\\UNC\\") != 0) {
        const int end = path.Find(L'\\', 4);
        return end < 0 ? path + L"\\" : path.Left(end + 1);
    }
    return GetVolumeRoot(path);
}

}  // namespace

bool IsOnSameRoot(const CString& a, const CString& b) {
    const CString root = RootToCompare(a);
    return !root.IsEmpty() && root.CompareNoCase(RootToCompare(b)) == 0;
}

bool IsUncServerShare(const CString& path) {
    if (path.GetLength() < 2 || path[0] != L'\\' || path[1] != L'\\') return false;
    bool seenSeparator = false;
    for (int i = 2; i < path.GetLength(); ++i) {
        if (path[i] != L'\\') continue;
        if (seenSeparator) return false;
        seenSeparator = true;
    }
    return seenSeparator;
}
