// Worker threads on POSIX: a detached std::thread.
#include "core/worker.h"

#include <system_error>
#include <thread>
#include <utility>

namespace routerdesk {

bool startDetachedWorker(std::function<void()> job) {
    try {
        std::thread(std::move(job)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace routerdesk
