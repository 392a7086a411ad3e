// Worker threads on Windows: native threads whose handles are closed at once, and which, once
// their job is done, stay parked for a while and take the next job. A thread made anew for every
// request cost more than the request itself on loopback (under Wine most of all). The waiting
// here is Win32's own: MinGW's pthreads layer under std::thread has sleeps and timed waits that
// were seen to hang for good under Wine.
#include "core/worker.h"

#include <windows.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <new>
#include <utility>

namespace routerdesk {
namespace {

// Longer than the refresh period, so the steady cycle never makes threads; short enough that
// none lingers long after the requests stop.
constexpr ULONGLONG kParkedForMs = 10'000;

struct ParkedWorkers {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE jobArrived = CONDITION_VARIABLE_INIT;
    std::deque<std::function<void()>> jobs;  // each one already has a parked worker to take it
    std::size_t parked = 0;
};

// Never destroyed: a detached worker may still park in it while the process ends.
ParkedWorkers& parkedWorkers() {
    static auto* workers = new ParkedWorkers;
    return *workers;
}

// The next job for a worker that has finished one, or nothing when none came while it was parked.
std::function<void()> waitForJob(ParkedWorkers& workers) {
    AcquireSRWLockExclusive(&workers.lock);
    ++workers.parked;
    const ULONGLONG giveUp = GetTickCount64() + kParkedForMs;
    for (ULONGLONG now = GetTickCount64(); workers.jobs.empty() && now < giveUp;
         now = GetTickCount64()) {
        SleepConditionVariableSRW(&workers.jobArrived, &workers.lock,
                                  static_cast<DWORD>(giveUp - now), 0);
    }
    --workers.parked;
    std::function<void()> job;
    if (!workers.jobs.empty()) {
        job = std::move(workers.jobs.front());
        workers.jobs.pop_front();
    }
    ReleaseSRWLockExclusive(&workers.lock);
    return job;
}

DWORD WINAPI runJobs(void* parameter) {
    std::function<void()> job;
    {
        const std::unique_ptr<std::function<void()>> first(
            static_cast<std::function<void()>*>(parameter));
        job = std::move(*first);
    }
    ParkedWorkers& workers = parkedWorkers();
    while (job) {
        job();
        job = nullptr;  // the job's captures go now, not when the next job comes
        job = waitForJob(workers);
    }
    return 0;
}

// Hands the job to a parked worker; false when none is free.
bool handToParked(std::function<void()>& job) {
    ParkedWorkers& workers = parkedWorkers();
    AcquireSRWLockExclusive(&workers.lock);
    // A parked worker leaves only when no job waits, so each queued job has one to take it.
    bool handed = false;
    if (workers.parked > workers.jobs.size()) {
        try {
            workers.jobs.push_back(std::move(job));
            handed = true;
        } catch (const std::bad_alloc&) {
        }
    }
    ReleaseSRWLockExclusive(&workers.lock);
    if (handed) {
        WakeConditionVariable(&workers.jobArrived);
    }
    return handed;
}

}  // namespace

bool startDetachedWorker(std::function<void()> job) {
    if (handToParked(job)) {
        return true;
    }
    auto owned = std::unique_ptr<std::function<void()>>(new (std::nothrow)
                                                            std::function<void()>(std::move(job)));
    if (!owned) {
        return false;
    }
    HANDLE thread = CreateThread(nullptr, 0, &runJobs, owned.get(), 0, nullptr);
    if (thread == nullptr) {
        return false;
    }
    owned.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

}  // namespace routerdesk
