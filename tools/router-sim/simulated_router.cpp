// A simulated TL-WR745N on loopback, for the executable and for tests that start one in-process.
#include "tools/router-sim/simulated_router.h"

#include <condition_variable>
#include <mutex>

#include "tools/router-sim/http_server.h"
#include "tools/router-sim/response_shaping.h"
#include "tools/router-sim/router_site.h"

namespace routerdesk::sim {

struct SimulatedRouter::Impl {
    explicit Impl(SimOptions o)
        : options(std::move(o)),
          model(options.initialState, options.timings, Clock::now()),
          misbehaviour(options.misbehaviour),
          server(HttpHooks{
              [this](const RequestHead& head) {
                  log.record({std::chrono::system_clock::now(), head});
              },
              [this] { return beforeAnswer(); },
              [this](const SiteRequest& request) { return answer(request); },
          }) {}

    AnswerPlan beforeAnswer() {
        std::unique_lock lock(mutex);
        const unsigned long number = ++answered;
        const Misbehaviour now = misbehaviour;
        if (now.delay.count() > 0) {
            stopped.wait_for(lock, now.delay, [this] { return stopping; });
        }
        if (stopping || (now.dropEvery > 0 && number % now.dropEvery == 0)) {
            return {Disposition::drop};
        }
        if (now.silent) {
            return {Disposition::silent};
        }
        if (now.garbageBytes > 0) {
            return {Disposition::garbage, now.drip, now.garbageBytes};
        }
        return {Disposition::answer, now.drip};
    }

    WireResponse answer(const SiteRequest& request) {
        WireResponse wire;
        BodyShape shape;
        {
            const std::lock_guard lock(mutex);
            const SiteRules rules{
                options.account,         options.password,           misbehaviour.refuseLogin,
                misbehaviour.redirectTo, misbehaviour.oneLineArrays, misbehaviour.noAuthority,
                misbehaviour.status};
            wire.response = answerRequest(model, rules, request, Clock::now());
            wire.chunked = misbehaviour.chunked;
            wire.truncateAt = misbehaviour.truncateAt;
            shape = {misbehaviour.utf8, misbehaviour.hugeBytes, misbehaviour.encoding,
                     misbehaviour.extraPieces};
        }
        shapeResponse(wire.response, shape);
        return wire;
    }

    SimOptions options;
    mutable std::mutex mutex;  // guards everything below that requests read or change
    RouterModel model;
    Misbehaviour misbehaviour;
    unsigned long answered = 0;
    bool stopping = false;
    std::condition_variable stopped;

    RequestLog log{options.keptRequests};
    std::uint16_t port = 0;
    // Last, so that it stops before the state its workers use goes away.
    HttpServer server;
};

SimulatedRouter::SimulatedRouter(SimOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

SimulatedRouter::~SimulatedRouter() {
    stop();
}

bool SimulatedRouter::start() {
    Impl& impl = *impl_;
    if (impl.port != 0) {
        return false;
    }
    if (!impl.options.logPath.empty() && !impl.log.openFile(impl.options.logPath)) {
        return false;
    }
    {
        // The clocks of the state start with the router, not with the object.
        const std::lock_guard lock(impl.mutex);
        impl.model.replaceState(impl.options.initialState, Clock::now());
    }
    const std::optional<std::uint16_t> port =
        impl.server.start(impl.options.address, impl.options.port);
    if (!port) {
        return false;
    }
    impl.port = *port;
    return true;
}

void SimulatedRouter::stop() {
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->stopped.notify_all();
    impl_->server.stop();
}

std::uint16_t SimulatedRouter::port() const {
    return impl_->port;
}

std::string SimulatedRouter::url() const {
    const std::string& address = impl_->options.address;
    const bool v6 = address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(impl_->port);
}

RouterState SimulatedRouter::state() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->model.stateAt(Clock::now());
}

void SimulatedRouter::setState(const RouterState& state) {
    const std::lock_guard lock(impl_->mutex);
    impl_->model.replaceState(state, Clock::now());
}

void SimulatedRouter::updateState(const std::function<void(RouterState&)>& change) {
    const std::lock_guard lock(impl_->mutex);
    const TimePoint now = Clock::now();
    RouterState state = impl_->model.stateAt(now);
    change(state);
    impl_->model.replaceState(state, now);
}

Misbehaviour SimulatedRouter::misbehaviour() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->misbehaviour;
}

void SimulatedRouter::setMisbehaviour(const Misbehaviour& misbehaviour) {
    const std::lock_guard lock(impl_->mutex);
    impl_->misbehaviour = misbehaviour;
    impl_->answered = 0;
}

std::vector<LoggedRequest> SimulatedRouter::requests() const {
    return impl_->log.entries();
}

}  // namespace routerdesk::sim
