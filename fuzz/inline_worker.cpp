// The refresh fuzzer's stand-in for the platform's worker threads: the job runs at once, on the
// caller's thread. What a pass does with a page does not depend on the thread it was fetched on,
// and a thread start under the sanitizers costs twenty times the rest of a run. Linked ahead of
// the platform library, it takes the place of platform/posix/worker.cpp; should that file ever
// hold more, the link fails with a duplicate instead of mixing the two.
#include "core/worker.h"

namespace routerdesk {

bool startDetachedWorker(std::function<void()> job) {
    job();
    return true;
}

}  // namespace routerdesk
