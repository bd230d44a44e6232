// Volume queries: file system, capabilities, sector size, I/O alignment, folder creation,
// recycle-bin folders.
#include "foundation/Paths.h"

#include "foundation/DynamicFunction.h"
#include "framework/Resource.h"

namespace {

const DWORD kFileSystemNameChars = 512;

int VolumeFlags(const CString& path, DWORD& flags) {
    flags = 0;
    return GetVolumeInformationW(GetVolumeRoot(path), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ? 1 : 0;
}

bool IsExistingFolder(const CString& path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD GreatestCommonDivisor(DWORD a, DWORD b) {
    while (b != 0) {
        const DWORD r = a % b;
        a = b;
        b = r;
    }
    return a;
}

DWORD WindowsMajorVersion() {
    // GetVersionExW answers as the manifest allows; Vista (6) is the only boundary used.
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(&info)) return 0;
    return info.dwMajorVersion;
}

}  // namespace

int GetFileSystemName(CString path, CString& name) {
    wchar_t buffer[kFileSystemNameChars] = {};
    const BOOL ok = GetVolumeInformationW(GetVolumeRoot(path), nullptr, 0, nullptr, nullptr, nullptr, buffer,
                                          kFileSystemNameChars);
    buffer[kFileSystemNameChars - 1] = L'\0';
    name = ok ? CString(buffer) : CString();
    return ok ? 1 : 0;
}

int IsFileSystem(CString path, CString name) {
    CString actual;
    return GetFileSystemName(path, actual) == 1 && actual.CompareNoCase(name) == 0 ? 1 : 0;
}

int IsFatVolume(CString path) {
    CString actual;
    if (GetFileSystemName(path, actual) != 1) return 0;
    return actual.CompareNoCase(L"FAT32") == 0 || actual.CompareNoCase(L"FAT") == 0 ? 1 : 0;
}

int SupportsEncryption(CString path) {
    DWORD flags = 0;
    return VolumeFlags(path, flags) == 1 && (flags & FILE_SUPPORTS_ENCRYPTION) ? 1 : 0;
}

int SupportsNamedStreams(CString path) {
    DWORD flags = 0;
    return VolumeFlags(path, flags) == 1 && (flags & FILE_NAMED_STREAMS) ? 1 : 0;
}

DWORD GetSectorSize(CString path) {
    // The walk up works on the plain form: the long-path prefix has no parent folders.
    CString folder = path.Left(4) == L"\\\\?\\" && path.Left(8).CompareNoCase(L"\\\\?\\UNC\\") != 0 ? path.Mid(4) : path;
    while (!folder.IsEmpty() && !IsExistingFolder(folder)) folder = GetParentFolder(folder);
    if (folder.IsEmpty()) return 0;
    if (folder[folder.GetLength() - 1] != L'\\') folder += L'\\';
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(folder, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return 0;
    return bytesPerSector;
}

DWORD CombineAlignment(DWORD a, DWORD b) {
    if (a == 0 || b == 0) return 0;
    const unsigned long long lcm = static_cast<unsigned long long>(b) * (a / GreatestCommonDivisor(a, b));
    // An alignment past 32 bits is no usable alignment: fall back to buffered I/O.
    return lcm > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(lcm);
}

DWORD GetIoAlignment(CString destination, const std::vector<CString>& sources, unsigned long long& bufferSize) {
    DWORD alignment = GetSectorSize(destination);
    for (const CString& source : sources) alignment = CombineAlignment(alignment, GetSectorSize(source));
    if (alignment != 0 && bufferSize >= alignment) {
        bufferSize -= bufferSize % alignment;
        return alignment;
    }
    return 0;
}

int CreateFolderLike(CString source, CString destination) {
    FILETIME lastWrite = {};
    const int created = CreateFolderLike(source, destination, &lastWrite);
    if (created && (lastWrite.dwLowDateTime != 0 || lastWrite.dwHighDateTime != 0)) {
        const DWORD error = GetLastError();
        SetFolderLastWriteTime(destination, lastWrite);
        SetLastError(error);
    }
    return created;
}

int SetFolderLastWriteTime(CString folder, const FILETIME& lastWrite) {
    UniqueFile handle(CreateFileW(folder, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle && SetFileTime(handle.get(), nullptr, nullptr, &lastWrite) ? 1 : 0;
}

int CreateFolderLike(CString source, CString destination, FILETIME* lastWrite) {
    *lastWrite = FILETIME{};
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    const BOOL haveSource = GetFileAttributesExW(source, GetFileExInfoStandard, &data);
    const BOOL created = CreateDirectoryW(destination, nullptr);
    const DWORD error = GetLastError();
    if (haveSource && created) {
        // Only the marks a folder can be given: a link's reparse mark, for one, is not
        // the copy's (it holds what the link led to).
        const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                               FILE_ATTRIBUTE_TEMPORARY;
        if (data.dwFileAttributes & settable) SetFileAttributesW(destination, data.dwFileAttributes & settable);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_ENCRYPTED) EncryptFileW(destination);
        *lastWrite = data.ftLastWriteTime;
    }
    // The caller reports a failed creation with the error of CreateDirectoryW.
    SetLastError(error);
    return created ? 1 : 0;
}

CString GetRecycleBinFolder(wchar_t letter) {
    const CString root = DriveRoot(letter);
    if (GetDriveTypeW(root) != DRIVE_FIXED) return CString();
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
        return CString();
    fileSystem[MAX_PATH] = L'\0';
    if (WindowsMajorVersion() >= 6) return root + L"$RECYCLE.BIN";
    const CString name(fileSystem);
    return root + (name == L"FAT" || name == L"FAT32" ? L"RECYCLED" : L"RECYCLER");
}

int IsInRecycleBinFolder(CString path) {
    if (path.IsEmpty()) return 0;
    const CString bin = GetRecycleBinFolder(path[0]);
    const int length = bin.GetLength();
    if (length == 0 || length >= path.GetLength()) return 0;
    // C:\$RECYCLE.BINX is a different folder: the bin's name must end at a separator.
    if (path[length] != L'\\') return 0;
    return path.Left(length).CompareNoCase(bin) == 0 ? 1 : 0;
}

namespace {

// The file information classes and records of ntdll's query.
constexpr int kFileBasicInformation = 4;
constexpr int kFileStandardInformation = 5;
constexpr int kFileInternalInformation = 6;

struct StandardInformation {
    LARGE_INTEGER allocationSize;
    LARGE_INTEGER endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending;
    BOOLEAN directory;
};

FILETIME FileTimeOf(const LARGE_INTEGER& time) {
    FILETIME result;
    result.dwLowDateTime = time.LowPart;
    result.dwHighDateTime = static_cast<DWORD>(time.HighPart);
    return result;
}

}  // namespace

int GetFileInformationOfFile(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
    const auto& query = ZwQueryInformationFileUtility::Instance();
    if (!query.IsAvailable())
        return 0;
    ZwSetInformationFileUtility::IoStatusBlock status{};
    ZwSetInformationFileUtility::BasicInformation basic{};
    StandardInformation standard{};
    LARGE_INTEGER index{};
    if (query(file, &status, &basic, static_cast<ULONG>(sizeof(basic)), kFileBasicInformation) != 0 ||
        query(file, &status, &standard, static_cast<ULONG>(sizeof(standard)), kFileStandardInformation) != 0 ||
        query(file, &status, &index, static_cast<ULONG>(sizeof(index)), kFileInternalInformation) != 0)
        return 0;
    *info = BY_HANDLE_FILE_INFORMATION{};
    info->dwFileAttributes = basic.attributes;
    info->ftCreationTime = FileTimeOf(basic.creationTime);
    info->ftLastAccessTime = FileTimeOf(basic.lastAccessTime);
    info->ftLastWriteTime = FileTimeOf(basic.lastWriteTime);
    info->nFileSizeHigh = static_cast<DWORD>(standard.endOfFile.HighPart);
    info->nFileSizeLow = standard.endOfFile.LowPart;
    info->nNumberOfLinks = standard.numberOfLinks;
    info->nFileIndexHigh = static_cast<DWORD>(index.HighPart);
    info->nFileIndexLow = index.LowPart;
    return 1;
}
