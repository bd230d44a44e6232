#pragma once
// The common controls, registered when the first window that uses them is about to be
// made. Under Wine, loading comctl32.dll registers every class it has and costs a good
// part of a process's start; a process that never shows a window (a job handed to the
// running instance, the elevated copy) should not pay for it. So the program imports no
// comctl32 function: Register maps the library (the version the program's manifest asks
// for) and calls InitCommonControlsEx through a run-time binding, and other comctl32
// functions are bound the same way, with SWIFTLET_DYNAMIC_FUNCTION from "comctl32.dll"
// after Register has answered true.
#include <windows.h>

namespace Controls {

// Maps comctl32.dll for the rest of the process (once) and registers classes (ICC_*
// bits) with InitCommonControlsEx; true when both succeeded.
bool Register(DWORD classes);

}  // namespace Controls
