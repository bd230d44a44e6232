#include "engine/CopyOption.h"

#include <algorithm>

namespace Swiftlet {

int UsbDeviceRecord::GetDriveLetters(std::vector<uint16_t>& letters) const {
    letters.clear();
    for (uint16_t letter : driveLetters) {
        if (letter != 0 && std::find(letters.begin(), letters.end(), letter) == letters.end())
            letters.push_back(letter);
    }
    return static_cast<int>(letters.size());
}

void CopyPathInfoCreator::Begin(const CString& path) {
    target->path.Empty();
    target->isUsb = 0;
    target->usb = UsbDeviceRecord();
    target->path = path;
}

static wchar_t UpperLetter(wchar_t ch) {
    return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
}

void CopyPathInfoCreator::ApplyUsbDevices(const std::vector<UsbDeviceRecord>& devices) {
    const wchar_t letter = DriveLetterOf(target->path);
    if (letter == 0)
        return;
    std::vector<uint16_t> letters;
    for (const UsbDeviceRecord& device : devices) {
        device.GetDriveLetters(letters);
        for (uint16_t candidate : letters) {
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
