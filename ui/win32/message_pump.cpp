// Message loops without busy waiting: MsgWaitForMultipleObjectsEx sleeps until a message or the
// worker's event arrives.
#include "ui/win32/message_pump.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "ui/win32/handles.h"

namespace routerdesk::win32 {
namespace {

std::vector<HWND>& navigatedWindows() {
    static std::vector<HWND> windows;
    return windows;
}

// Takes one waiting message; a WM_QUIT is handed back instead of being dispatched.
bool takeMessage(MSG& message, std::optional<WPARAM>& quit) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (message.message == WM_QUIT) {
        quit = message.wParam;
        return false;
    }
    return true;
}

void putBackQuit(const std::optional<WPARAM>& quit) {
    if (quit) {
        PostQuitMessage(static_cast<int>(*quit));
    }
}

}  // namespace

void addKeyboardNavigation(HWND window) {
    navigatedWindows().push_back(window);
}

void removeKeyboardNavigation(HWND window) {
    std::erase(navigatedWindows(), window);
}

void dispatchOne(MSG& message) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    const std::vector<HWND>& windows = navigatedWindows();
    if (root != nullptr && std::find(windows.begin(), windows.end(), root) != windows.end() &&
        IsDialogMessageW(root, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool dispatchWaitingMessages() {
    std::optional<WPARAM> quit;
    bool any = false;
    MSG message;
    while (takeMessage(message, quit)) {
        any = true;
        dispatchOne(message);
    }
    putBackQuit(quit);
    return any || quit.has_value();
}

bool waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    const EventHandle wakeUp(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!wakeUp) {
        // Out of handles: the request counts as failed rather than freezing the windows.
        return job.isDone();
    }
    job.setWakeUp([event = wakeUp.get()] { SetEvent(event); });

    const ULONGLONG limit = static_cast<ULONGLONG>(std::max<long long>(idleLimit.count(), 0));
    ULONGLONG idleSince = GetTickCount64();
    std::optional<WPARAM> quit;
    while (!job.isDone() && !quit) {
        const ULONGLONG idle = GetTickCount64() - idleSince;
        if (idle >= limit) {
            break;
        }
        const HANDLE handles[] = {wakeUp.get()};
        const DWORD woken = MsgWaitForMultipleObjectsEx(
            1, handles, static_cast<DWORD>(std::min<ULONGLONG>(limit - idle, INFINITE - 1)),
            QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0 + 1) {
            MSG message;
            bool any = false;
            while (takeMessage(message, quit)) {
                any = true;
                dispatchOne(message);
            }
            if (any) {
                idleSince = GetTickCount64();
            }
        } else if (woken != WAIT_OBJECT_0 && woken != WAIT_TIMEOUT) {
            break;  // the wait itself failed; waiting on would spin
        }
    }
    // Before the event goes: no wake-up may reach it afterwards.
    job.clearWakeUp();
    putBackQuit(quit);
    return job.isDone();
}

int runMessageLoop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        dispatchOne(message);
    }
}

}  // namespace routerdesk::win32
