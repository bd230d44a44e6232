#pragma once
// Resource ids of SwiftletShellEx.dll.

#define IDR_SHELLEX_APPID 101
#define IDR_SHELLEXDRAGDROPHANDLERS 103

// Menu texts of the drop menu.
#define IDS_COPY_HERE 1000
#define IDS_MOVE_HERE 1001
