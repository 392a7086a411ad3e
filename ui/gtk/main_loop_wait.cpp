// The wait of a router request: main-context iterations, woken by the request's worker.
#include "ui/gtk/main_loop_wait.h"

#include <glib.h>

#include <algorithm>
#include <limits>

namespace routerdesk::gtk {
namespace {

// A source that is ready after every iteration (an endless idle handler of some library) must
// not keep dispatchPending from returning.
constexpr int kMaxPendingRounds = 1000;

// The idle limit as a one-shot timeout source. It notes how deep in nested dispatching it fired:
// fired directly by the waiter's own iteration, nothing else ran for the whole limit; fired
// deeper, the waiter was busy all along inside some nested handler (a message box, another wait).
class IdleTimeout {
  public:
    explicit IdleTimeout(std::chrono::milliseconds limit)
        : intervalMs_(static_cast<guint>(std::clamp<std::chrono::milliseconds::rep>(
              limit.count(), 0, std::numeric_limits<guint>::max()))) {
        arm();
    }
    ~IdleTimeout() { disarm(); }
    IdleTimeout(const IdleTimeout&) = delete;
    IdleTimeout& operator=(const IdleTimeout&) = delete;

    void arm() {
        disarm();
        firedAtDepth_ = -1;
        source_ = g_timeout_source_new(intervalMs_);
        g_source_set_callback(source_, &IdleTimeout::onFired, this, nullptr);
        g_source_attach(source_, nullptr);
    }

    bool fired() const { return firedAtDepth_ >= 0; }
    int firedAtDepth() const { return firedAtDepth_; }

  private:
    void disarm() {
        if (source_ != nullptr) {
            g_source_destroy(source_);
            g_source_unref(source_);
            source_ = nullptr;
        }
    }

    static gboolean onFired(gpointer self) {
        static_cast<IdleTimeout*>(self)->firedAtDepth_ = g_main_depth();
        return G_SOURCE_REMOVE;
    }

    guint intervalMs_;
    GSource* source_ = nullptr;
    int firedAtDepth_ = -1;
};

}  // namespace

void dispatchPending() {
    for (int round = 0; round < kMaxPendingRounds && g_main_context_pending(nullptr); ++round) {
        g_main_context_iteration(nullptr, FALSE);
    }
}

bool waitDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    GMainContext* context = g_main_context_default();
    // Thread-safe by GLib's word: the worker only interrupts the poll; the loop below decides.
    job.setWakeUp([context] { g_main_context_wakeup(context); });
    IdleTimeout idle(idleLimit);
    const int ownDepth = g_main_depth();

    bool done = job.isDone();
    while (!done) {
        const bool dispatched = g_main_context_iteration(context, TRUE) != FALSE;
        done = job.isDone();
        if (done) {
            break;
        }
        if (idle.fired()) {
            if (idle.firedAtDepth() == ownDepth + 1) {
                break;
            }
            idle.arm();
        } else if (dispatched) {
            idle.arm();
        }
    }
    job.clearWakeUp();
    return done;
}

}  // namespace routerdesk::gtk
