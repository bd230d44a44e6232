#pragma once
// COM on a thread that opens it only when it first needs it. The program's user-interface
// thread opens its apartment the first time it asks the shell for something (an image, a
// context menu, a display name, a link to open) rather than at start-up, so that a job
// that never shows a window never maps COM; the program's clean-up closes it again.
namespace Com {

// Opens a single-threaded apartment on the calling thread unless the thread has one (of
// either kind) already; one opened here is remembered for CloseThreadApartment. true when
// the thread has an apartment now.
bool EnsureThreadApartment();
// Closes the apartment EnsureThreadApartment opened on the calling thread, if it did.
void CloseThreadApartment();
// Whether EnsureThreadApartment opened the calling thread's apartment (and it is open).
bool OpenedThreadApartment();

}  // namespace Com
