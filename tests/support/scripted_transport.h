// A transport that answers from a table, records every request and can hold requests back.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/http_transport.h"

namespace routerdesk::testing {

class ScriptedTransport : public HttpTransport {
  public:
    HttpResponse get(const HttpRequest& request) override;

    // The answer for a request target; targets without one fail as an unreachable router does.
    void answer(const std::string& target, std::string body, int status = 200);
    void answer(const std::string& target, HttpResponse response);

    // Every request waits this long before it is answered.
    void setDelay(std::chrono::milliseconds delay);

    std::vector<HttpRequest> requests() const;
    std::vector<std::string> targets() const;

  private:
    mutable std::mutex mutex_;
    std::map<std::string, HttpResponse> answers_;
    std::vector<HttpRequest> requests_;
    std::chrono::milliseconds delay_{0};
};

}  // namespace routerdesk::testing
