// The exception record of the elevation pipe: a kind, the base part every exception has,
// then the fields of the kind's class.
#include "ipc/CopyElevateData.h"

#include "engine/CopyException.h"

namespace Swiftlet {
namespace ElevateData {

namespace {

constexpr uint64_t kMinPair = 2 * kMinLongString;

void AppendBase(CDataConverter& out, const Exception& e) {
    AppendNarrowString(out, e.message);
    out.AppendInt32(e.code);
}

bool ReadBase(CDataParser& in, Exception& e) {
    int code = 0;
    if (!ReadNarrowString(in, e.message) || !ReadInt(in, code)) return false;
    e.code = code;
    return true;
}

// A WindowsFileException after its base part: error and path.
bool ReadFileFields(CDataParser& in, WindowsFileException& e) {
    uint32_t error = 0;
    if (!ReadUInt32(in, error) || !ReadLongString(in, e.path)) return false;
    e.error = error;
    return true;
}

// The type a question class carries: the user interface picks the view, and the class
// to read it as, by the type, so a type that does not match the class is refused.
bool TypeFits(ExceptionKind kind, int type) {
    switch (kind) {
    case kCopyException:
        return type != kCopyNotFreeSpace && type != kCopyEncrypted && type != kCopyOverwrite &&
               type != kCopyRetryFile && type != kCopyOverwriteFiles;
    case kEncrypted:
        return type == kCopyEncrypted;
    case kNotFreeSpace:
        return type == kCopyNotFreeSpace;
    case kOverwrite:
        return type == kCopyOverwrite;
    case kRetryFile:
        return type == kCopyRetryFile;
    case kOverwriteFiles:
        return type == kCopyOverwriteFiles;
    default:
        return false;
    }
}

bool ReadCopyFields(CDataParser& in, ExceptionKind kind, std::unique_ptr<Exception>& result) {
    Exception base;
    int type = 0;
    if (!ReadBase(in, base) || !ReadInt(in, type) || !TypeFits(kind, type)) return false;
    std::unique_ptr<CopyException> e;
    switch (kind) {
    case kCopyException:
        e = std::make_unique<CopyException>(type);
        break;
    case kEncrypted: {
        CString path;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!ReadLongString(in, path) || !ReadAttributes(in, data)) return false;
        e = std::make_unique<CopyExceptionEncrypted>(path, data);
        break;
    }
    case kNotFreeSpace: {
        uint64_t missing = 0;
        if (!in.ReadUInt64(missing)) return false;
        e = std::make_unique<CopyExceptionNotFreeSpace>(missing);
        break;
    }
    case kOverwrite: {
        CString sourcePath, destinationPath;
        WIN32_FILE_ATTRIBUTE_DATA sourceData{}, destinationData{};
        if (!ReadLongString(in, sourcePath) || !ReadAttributes(in, sourceData) ||
            !ReadLongString(in, destinationPath) || !ReadAttributes(in, destinationData))
            return false;
        e = std::make_unique<CopyExceptionOverwrite>(sourcePath, sourceData, destinationPath, destinationData);
        break;
    }
    case kRetryFile: {
        CString path;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        int dataValid = 0, isElevated = 0, inner = 0;
        if (!ReadLongString(in, path) || !ReadAttributes(in, data) || !ReadInt(in, dataValid) ||
            !ReadInt(in, isElevated) || !ReadInt(in, inner))
            return false;
        std::unique_ptr<WindowsFileException> error;
        if (inner == kWindowsFileException) {
            error = std::make_unique<WindowsFileException>(0, CString());
            if (!ReadBase(in, *error) || !ReadFileFields(in, *error)) return false;
        } else if (inner != kNoException) {
            return false;
        }
        e = std::make_unique<CopyExceptionRetryFile>(error.release(), path, data, dataValid, isElevated);
        break;
    }
    case kOverwriteFiles: {
        auto files = std::make_unique<CopyExceptionOverwriteFiles>();
        uint64_t count = 0;
        if (!ReadLongString(in, files->sourceFolder) || !ReadLongString(in, files->destinationFolder) ||
            !ReadCount(in, kMinPair, count))
            return false;
        files->files.reserve(static_cast<size_t>(count));
        for (uint64_t i = 0; i < count; ++i) {
            CString source, destination;
            if (!ReadLongString(in, source) || !ReadLongString(in, destination)) return false;
            files->files.emplace_back(source, destination);
        }
        e = std::move(files);
        break;
    }
    default:
        return false;
    }
    e->message = base.message;
    e->code = base.code;
    result = std::move(e);
    return true;
}

}  // namespace

ExceptionKind ClassifyException(const Exception* e) {
    if (!e) return kNoException;
    if (dynamic_cast<const CopyExceptionRetryFile*>(e)) return kRetryFile;
    if (dynamic_cast<const CopyExceptionOverwrite*>(e)) return kOverwrite;
    if (dynamic_cast<const CopyExceptionOverwriteFiles*>(e)) return kOverwriteFiles;
    if (dynamic_cast<const CopyExceptionNotFreeSpace*>(e)) return kNotFreeSpace;
    if (dynamic_cast<const CopyExceptionEncrypted*>(e)) return kEncrypted;
    if (dynamic_cast<const CopyException*>(e)) return kCopyException;
    if (dynamic_cast<const WindowsFileException*>(e)) return kWindowsFileException;
    if (dynamic_cast<const WindowsException*>(e)) return kWindowsException;
    return kPlainException;
}

void EncodeException(CDataConverter& out, const Exception* e) {
    const ExceptionKind kind = ClassifyException(e);
    out.AppendInt32(kind);
    if (kind == kNoException) return;
    AppendBase(out, *e);
    switch (kind) {
    case kWindowsException:
        out.AppendInt32(static_cast<int32_t>(static_cast<const WindowsException*>(e)->error));
        break;
    case kWindowsFileException: {
        const auto* f = static_cast<const WindowsFileException*>(e);
        out.AppendInt32(static_cast<int32_t>(f->error));
        AppendLongString(out, f->path);
        break;
    }
    case kCopyException:
        out.AppendInt32(static_cast<const CopyException*>(e)->type);
        break;
    case kEncrypted: {
        const auto* c = static_cast<const CopyExceptionEncrypted*>(e);
        out.AppendInt32(c->type);
        AppendLongString(out, c->path);
        AppendAttributes(out, c->data);
        break;
    }
    case kNotFreeSpace: {
        const auto* c = static_cast<const CopyExceptionNotFreeSpace*>(e);
        out.AppendInt32(c->type);
        out.AppendUInt64(c->missing);
        break;
    }
    case kOverwrite: {
        const auto* c = static_cast<const CopyExceptionOverwrite*>(e);
        out.AppendInt32(c->type);
        AppendLongString(out, c->sourcePath);
        AppendAttributes(out, c->sourceData);
        AppendLongString(out, c->destinationPath);
        AppendAttributes(out, c->destinationData);
        break;
    }
    case kRetryFile: {
        const auto* c = static_cast<const CopyExceptionRetryFile*>(e);
        out.AppendInt32(c->type);
        AppendLongString(out, c->path);
        AppendAttributes(out, c->data);
        out.AppendInt32(c->dataValid);
        out.AppendInt32(c->isElevated);
        if (c->error) {
            out.AppendInt32(kWindowsFileException);
            AppendBase(out, *c->error);
            out.AppendInt32(static_cast<int32_t>(c->error->error));
            AppendLongString(out, c->error->path);
        } else {
            out.AppendInt32(kNoException);
        }
        break;
    }
    case kOverwriteFiles: {
        const auto* c = static_cast<const CopyExceptionOverwriteFiles*>(e);
        out.AppendInt32(c->type);
        AppendLongString(out, c->sourceFolder);
        AppendLongString(out, c->destinationFolder);
        out.AppendUInt64(c->files.size());
        for (const auto& pair : c->files) {
            AppendLongString(out, pair.first);
            AppendLongString(out, pair.second);
        }
        break;
    }
    default:
        break;
    }
}

bool DecodeException(CDataParser& in, std::unique_ptr<Exception>& e) {
    int kind = 0;
    if (!ReadInt(in, kind)) return false;
    switch (kind) {
    case kNoException:
        e.reset();
        return true;
    case kPlainException: {
        auto r = std::make_unique<Exception>();
        if (!ReadBase(in, *r)) return false;
        e = std::move(r);
        return true;
    }
    case kWindowsException: {
        auto r = std::make_unique<WindowsException>(0);
        uint32_t error = 0;
        if (!ReadBase(in, *r) || !ReadUInt32(in, error)) return false;
        r->error = error;
        e = std::move(r);
        return true;
    }
    case kWindowsFileException: {
        auto r = std::make_unique<WindowsFileException>(0, CString());
        if (!ReadBase(in, *r) || !ReadFileFields(in, *r)) return false;
        e = std::move(r);
        return true;
    }
    case kCopyException:
    case kEncrypted:
    case kNotFreeSpace:
    case kOverwrite:
    case kRetryFile:
    case kOverwriteFiles:
        return ReadCopyFields(in, static_cast<ExceptionKind>(kind), e);
    default:
        return false;
    }
}

}  // namespace ElevateData
}  // namespace Swiftlet
