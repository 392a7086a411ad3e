// Worker threads on Windows: a native thread whose handle is closed at once. The program keeps
// its waiting to Win32 primitives; MinGW's pthreads layer under std::thread has sleeps and timed
// waits that were seen to hang for good under Wine.
#include "core/worker.h"

#include <windows.h>

#include <memory>
#include <new>
#include <utility>

namespace routerdesk {
namespace {

DWORD WINAPI runJob(void* parameter) {
    const std::unique_ptr<std::function<void()>> job(
        static_cast<std::function<void()>*>(parameter));
    (*job)();
    return 0;
}

}  // namespace

bool startDetachedWorker(std::function<void()> job) {
    auto owned = std::unique_ptr<std::function<void()>>(new (std::nothrow)
                                                            std::function<void()>(std::move(job)));
    if (!owned) {
        return false;
    }
    HANDLE thread = CreateThread(nullptr, 0, &runJob, owned.get(), 0, nullptr);
    if (thread == nullptr) {
        return false;
    }
    owned.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

}  // namespace routerdesk
