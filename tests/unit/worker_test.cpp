#include "core/worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace routerdesk {
namespace {

using namespace std::chrono_literals;

// Jobs that can only finish together: each must have a thread of its own, whether a parked one
// or a new one, or the wait below never ends.
TEST(WorkerTest, JobsStartedTogetherEachGetAThread) {
    // Later rounds meet parked workers, fewer or more of them than they have jobs.
    for (const int jobs : {2, 6, 3, 8}) {
        std::mutex mutex;
        std::condition_variable changed;
        int running = 0;
        int finished = 0;
        for (int i = 0; i < jobs; ++i) {
            ASSERT_TRUE(startDetachedWorker([&] {
                std::unique_lock lock(mutex);
                ++running;
                changed.notify_all();
                changed.wait(lock, [&] { return running == jobs; });
                ++finished;
                changed.notify_all();
            }));
        }
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 20s, [&] { return finished == jobs; }))
            << jobs << " jobs: " << running << " ran";
    }
}

}  // namespace
}  // namespace routerdesk
