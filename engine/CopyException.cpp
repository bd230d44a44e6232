#include "engine/CopyException.h"

#include "foundation/OSVersion.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

int ReadAttributeData(const CString& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return GetFileAttributesExW(ToLongPath(path), GetFileExInfoStandard, &data) ? 1 : 0;
}

DWORD OsMajorVersion() {
    static const COSVersion version;
    return version.osvi.dwMajorVersion;
}

}  // namespace

bool IsDriveRootPath(const CString& path) {
    CString rest = path;
    if (rest.Left(4) == L"\\\\?\\") {
        rest = rest.Mid(4);
    }
    return rest.GetLength() == 3 && rest[1] == L':' && rest[2] == L'\\' &&
           ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'a' && rest[0] <= L'z'));
}

int IsProcessElevated(DWORD osMajorVersion) {
    if (osMajorVersion < 6) {
        return 1;
    }
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return 0;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size);
    CloseHandle(token);
    return ok && elevation.TokenIsElevated ? 1 : 0;
}

CopyExceptionRetryFile::CopyExceptionRetryFile(const WindowsFileException& error)
    : CopyException(kCopyRetryFile), error(&error), path(error.path) {
    message = error.message;
    code = error.code;
    // The question shows the file a stream belongs to; when even that cannot be read
    // (it vanished meanwhile) it shows the folder that held it.
    if (!IsDriveRootPath(path)) {
        path = StripStreamSuffix(path);
        dataValid = ReadAttributeData(path, data);
        if (dataValid != 1) {
            const CString parent = GetParentFolder(path);
            if (!parent.IsEmpty()) {
                path = parent;
            }
            if (!IsDriveRootPath(path)) {
                dataValid = ReadAttributeData(path, data);
            }
        }
    }
    if (dataValid != 1) {
        dataValid = 0;
        data = WIN32_FILE_ATTRIBUTE_DATA{};
    }
    isElevated = IsProcessElevated(OsMajorVersion());
}

CopyExceptionRetryFile::CopyExceptionRetryFile(WindowsFileException* ownedError, const CString& path,
                                               const WIN32_FILE_ATTRIBUTE_DATA& data, int dataValid,
                                               int isElevated)
    : CopyException(kCopyRetryFile),
      ownsError(ownedError != nullptr ? 1 : 0),
      error(ownedError),
      path(path),
      data(data),
      dataValid(dataValid),
      isElevated(isElevated) {
    if (ownedError != nullptr) {
        message = ownedError->message;
        code = ownedError->code;
    }
}

CopyExceptionRetryFile::CopyExceptionRetryFile(const CopyExceptionRetryFile& other) : CopyException(other) {
    AssignFrom(other);
}

CopyExceptionRetryFile& CopyExceptionRetryFile::operator=(const CopyExceptionRetryFile& other) {
    if (this != &other) {
        ReleaseError();
        CopyException::operator=(other);
        AssignFrom(other);
    }
    return *this;
}

CopyExceptionRetryFile::~CopyExceptionRetryFile() {
    ReleaseError();
}

void CopyExceptionRetryFile::AssignFrom(const CopyExceptionRetryFile& other) {
    if (other.ownsError == 1 && other.error != nullptr) {
        error = new WindowsFileException(*other.error);
        ownsError = 1;
    } else {
        error = other.error;
        ownsError = 0;
    }
    path = other.path;
    data = other.data;
    dataValid = other.dataValid;
    isElevated = other.isElevated;
}

void CopyExceptionRetryFile::ReleaseError() {
    if (ownsError == 1) {
        delete error;
    }
    error = nullptr;
    ownsError = 0;
}

const CopyException* AsCopyException(const Exception* e) {
    return dynamic_cast<const CopyException*>(e);
}

}  // namespace Swiftlet
