// Taking and dispatching window messages: the main loop, the loops nested in handlers, and the
// wait for a router request.
#pragma once

#include <windows.h>

#include <chrono>

#include "core/host.h"

namespace routerdesk::win32 {

// A top-level window of ours whose keyboard (Tab, Enter) goes through IsDialogMessage.
void addKeyboardNavigation(HWND window);
void removeKeyboardNavigation(HWND window);

// One message: dialog navigation first, then translated and dispatched.
void dispatchOne(MSG& message);

// Dispatches what is waiting and returns when nothing is left; true when there was anything. A
// WM_QUIT stops it and is put back for the loop that owns it.
bool dispatchWaitingMessages();

// The Host's wait: dispatches messages as they come until the job is done, or until `idleLimit`
// has passed without the job ending or any message arriving.
bool waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit);

// The main loop; returns the exit code of a WM_QUIT, which the program itself never posts.
int runMessageLoop();

}  // namespace routerdesk::win32
