#include "foundation/Exception.h"

const WindowsException* AsWindowsException(const Exception* e) {
    return dynamic_cast<const WindowsException*>(e);
}

const WindowsFileException* AsWindowsFileException(const Exception* e) {
    return dynamic_cast<const WindowsFileException*>(e);
}
