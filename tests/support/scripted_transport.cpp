// The scripted transport of the tests.
#include "tests/support/scripted_transport.h"
#include "tests/support/pause.h"

#include <thread>

namespace routerdesk::testing {

HttpResponse ScriptedTransport::get(const HttpRequest& request) {
    std::chrono::milliseconds delay{};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        delay = delay_;
    }
    pauseFor(delay);
    std::lock_guard lock(mutex_);
    const auto it = answers_.find(request.target);
    return it == answers_.end() ? HttpResponse{} : it->second;
}

void ScriptedTransport::answer(const std::string& target, std::string body, int status) {
    HttpResponse response;
    response.received = true;
    response.status = status;
    response.body = std::move(body);
    response.contentType = "text/html";
    answer(target, std::move(response));
}

void ScriptedTransport::answer(const std::string& target, HttpResponse response) {
    std::lock_guard lock(mutex_);
    answers_[target] = std::move(response);
}

void ScriptedTransport::setDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    delay_ = delay;
}

std::vector<HttpRequest> ScriptedTransport::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> ScriptedTransport::targets() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const HttpRequest& request : requests_) {
        out.push_back(request.target);
    }
    return out;
}

}  // namespace routerdesk::testing
