#include "engine/CopyOption.h"

#include <algorithm>

namespace Swiftlet {

void CopyPathInfoCreator::Begin(const CString& path) {
    target->path.Empty();
    target->isUsb = 0;
    target->usb = USB::CUSBEnumerateExData();
    target->path = path;
}

static wchar_t UpperLetter(wchar_t ch) {
    return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
}

void CopyPathInfoCreator::ApplyUsbDevices(const USB::CUSBEnumerateExList& devices) {
    const wchar_t letter = DriveLetterOf(target->path);
    if (letter == 0)
        return;
    std::vector<USHORT> letters;
    for (const USB::CUSBEnumerateExData& device : devices) {
        device.GetDriveLetters(letters);
        for (USHORT candidate : letters) {
            if (UpperLetter(static_cast<wchar_t>(candidate)) == UpperLetter(letter)) {
                target->isUsb = 1;
                target->usb = device;
                return;
            }
        }
    }
}

wchar_t DriveLetterOf(const CString& path) {
    if (path.IsEmpty())
        return 0;
    const wchar_t ch = path.GetAt(0);
    return ((ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z')) ? ch : 0;
}

}  // namespace Swiftlet
