#pragma once
// Helpers of the window tests: pumping this thread's messages the way the framework's
// loops do, and counting the process's GDI objects and windows.
#include <windows.h>

#include <functional>

// Dispatches this thread's messages (through AfxPreTranslateMessage) until done()
// answers true or timeoutMs passed; returns done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches what is waiting now.
void PumpPending();

// GDI objects of the process. GetGuiResources when the system answers it; Wine answers 0,
// so there the process's GDI handle table is counted instead.
int GdiObjectCount();
// Windows of the process: top-level windows and all their descendants (the system's IME
// windows, which come and go with a thread's top-level windows, left out).
int WindowCount();

