// The benchmark host's waits on the Win32 face's own message pump.
#include <windows.h>

#include <map>

#include "bench/bench_host.h"
#include "ui/win32/message_pump.h"

namespace routerdesk::bench {
namespace {

std::map<UINT_PTR, std::function<bool()>>& tickers() {
    static std::map<UINT_PTR, std::function<bool()>> all;
    return all;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = tickers().find(id);
    if (it != tickers().end() && !it->second()) {
        KillTimer(nullptr, id);
        tickers().erase(id);
    }
}

}  // namespace

void BenchHost::dispatchPendingMessages() {
    win32::dispatchWaitingMessages();
}

bool BenchHost::waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    return win32::waitWhileDispatching(job, idleLimit);
}

void startTicker(std::chrono::milliseconds interval, std::function<bool()> tick) {
    // A thread timer: its WM_TIMER carries onTimer, which DispatchMessage calls.
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(interval.count()), &onTimer);
    if (id != 0) {
        tickers()[id] = std::move(tick);
    }
}

void runEventsUntil(const std::function<bool()>& finished) {
    MSG message;
    while (!finished() && GetMessageW(&message, nullptr, 0, 0) > 0) {
        win32::dispatchOne(message);
    }
}

}  // namespace routerdesk::bench
