// A stand-in for the platform's worker threads, for harnesses that measure or explore what a pass
// does with its pages rather than how it waits: the job runs at once, on the caller's thread.
// Linked ahead of the platform library, it takes the place of the platform's worker; should that
// file ever define more than this one function, the link fails with a duplicate instead of mixing
// the two.
#include "core/worker.h"

namespace routerdesk {

bool startDetachedWorker(std::function<void()> job) {
    job();
    return true;
}

}  // namespace routerdesk
