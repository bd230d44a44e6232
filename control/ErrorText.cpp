#include "control/ErrorText.h"

#include "control/CoreDisplayStatus.h"
#include "engine/CopyException.h"

namespace Swiftlet {

namespace {

// String table entries.
constexpr UINT kErrorDuringOperation = 3002;  // "%s中にエラーが発生しました。"
constexpr UINT kOperationCopy = 3100;
constexpr UINT kOperationMove = 3101;
constexpr UINT kErrorDuringOperationWithType = 6000;  // the same text; "(type)" follows
constexpr UINT kNotEnoughSpace = 6001;
constexpr UINT kDestinationInsideSource = 6002;
constexpr UINT kCancelled = 6004;

CString CopyErrorText(const CopyException& e, int move) {
    CString text;
    switch (e.type) {
    case kCopyCancelled:
        text.LoadString(kCancelled);
        return text;
    case kCopyStopForElevation:
    case kCopyEncrypted:
    case kCopyOverwrite:
        return text;
    case kCopyNotFreeSpace:
        if (auto space = dynamic_cast<const CopyExceptionNotFreeSpace*>(&e)) {
            text.Format(kNotEnoughSpace, FormatByteSize(space->missing).GetString());
            return text;
        }
        break;  // without the missing size only the general text can be given
    case kCopyDestinationInSource:
        text.LoadString(kDestinationInsideSource);
        return text;
    default:
        break;
    }
    text.Format(kErrorDuringOperationWithType, GetOperationText(move).GetString());
    text.AppendFormat(L"(%d)", e.type);
    return text;
}

}  // namespace

CString GetOperationText(int move) {
    CString word;
    word.LoadString(move == 1 ? kOperationMove : kOperationCopy);
    return word;
}

CString GetErrorText(const Exception* e, int move) {
    if (const CopyException* copy = AsCopyException(e))
        return CopyErrorText(*copy, move);
    if (const WindowsException* windows = AsWindowsException(e))
        return GetSystemErrorMessage(windows->error);
    CString text;
    text.Format(kErrorDuringOperation, GetOperationText(move).GetString());
    return text;
}

}  // namespace Swiftlet
