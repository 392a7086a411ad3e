// Worker threads on POSIX: detached std::threads that, once their job is done, stay parked for a
// while and take the next job. A thread made anew for every request waited for a CPU behind
// everything else that ran (the scheduler starts new threads behind the others): on a busy
// machine that was milliseconds per request, many times the request itself. A parked thread is
// woken instead, and runs at once.
#include "core/worker.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace routerdesk {
namespace {

// Longer than the refresh period, so the steady cycle never makes threads; short enough that
// none lingers long after the requests stop.
constexpr std::chrono::seconds kParkedFor{10};

struct ParkedWorkers {
    std::mutex mutex;
    std::condition_variable jobArrived;
    std::deque<std::function<void()>> jobs;  // each one already has a parked worker to take it
    std::size_t parked = 0;
};

// Never destroyed: a detached worker may still park in it while the process ends.
ParkedWorkers& parkedWorkers() {
    static auto* workers = new ParkedWorkers;
    return *workers;
}

void workerLoop(std::function<void()> job) {
    ParkedWorkers& workers = parkedWorkers();
    for (;;) {
        job();
        job = nullptr;  // the job's captures go now, not when the next job comes
        std::unique_lock lock(workers.mutex);
        ++workers.parked;
        const bool woken =
            workers.jobArrived.wait_for(lock, kParkedFor, [&] { return !workers.jobs.empty(); });
        --workers.parked;
        if (!woken) {
            return;
        }
        job = std::move(workers.jobs.front());
        workers.jobs.pop_front();
    }
}

}  // namespace

bool startDetachedWorker(std::function<void()> job) {
    ParkedWorkers& workers = parkedWorkers();
    {
        // A parked worker leaves only when no job waits, so each queued job has one to take it.
        const std::lock_guard lock(workers.mutex);
        if (workers.parked > workers.jobs.size()) {
            workers.jobs.push_back(std::move(job));
            workers.jobArrived.notify_one();
            return true;
        }
    }
    try {
        std::thread(&workerLoop, std::move(job)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace routerdesk
