// The benchmark host's waits on the GTK face's own main-context wait.
#include <glib.h>

#include <memory>

#include "bench/bench_host.h"
#include "ui/gtk/main_loop_wait.h"

namespace routerdesk::bench {
namespace {

gboolean onTick(gpointer data) {
    auto* tick = static_cast<std::function<bool()>*>(data);
    return (*tick)() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void forgetTick(gpointer data) {
    delete static_cast<std::function<bool()>*>(data);
}

}  // namespace

void BenchHost::dispatchPendingMessages() {
    gtk::dispatchPending();
}

bool BenchHost::waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    return gtk::waitDispatching(job, idleLimit);
}

void startTicker(std::chrono::milliseconds interval, std::function<bool()> tick) {
    g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(interval.count()), &onTick,
                       new std::function<bool()>(std::move(tick)), &forgetTick);
}

void runEventsUntil(const std::function<bool()>& finished) {
    while (!finished()) {
        g_main_context_iteration(nullptr, TRUE);
    }
}

}  // namespace routerdesk::bench
