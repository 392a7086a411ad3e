// Fuzzes a whole refresh pass: hostile page bodies through the request path, the array reader
// and the mapping onto the display fields, with a headless host.
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/host.h"
#include "core/http_transport.h"
#include "core/program_context.h"
#include "fuzz/fuzz_inputs.h"
#include "status/refresh.h"
#include "tools/router-sim/router_pages.h"
#include "tools/router-sim/router_state.h"

namespace routerdesk::fuzz {
namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "refresh_page_fuzzer: %s\n", what);
    std::abort();
}

// Waits for real, woken by the worker, so that a pass costs no polling interval.
class HeadlessHost : public Host {
  public:
    std::string fieldText(Field field) override { return texts_[field]; }
    void setFieldText(Field field, const std::string& text) override { texts_[field] = text; }
    void setFieldColor(Field, Color) override {}
    void showStatusLine(const std::string&, Color) override {}
    void setRefreshPeriod(unsigned milliseconds) override { period = milliseconds; }
    void showMessage(const std::string&) override { ++messages; }
    void dispatchPendingMessages() override {}
    bool waitWhileDispatching(Completion& job, std::chrono::milliseconds) override {
        std::mutex mutex;
        std::condition_variable woken;
        bool done = false;
        job.setWakeUp([&] {
            const std::lock_guard lock(mutex);
            done = true;
            woken.notify_one();
        });
        {
            std::unique_lock lock(mutex);
            woken.wait(lock, [&] { return done; });
        }
        job.clearWakeUp();
        return true;
    }
    void applyTheme(const Theme&) override {}
    void runLoginWindow() override { fail("the refresh opened the login window"); }
    void activateMainWindow() override {}
    [[noreturn]] void endProcess(int) override { fail("the refresh ended the process"); }

    bool wrote(Field field) const { return texts_.count(field) != 0; }

    unsigned period = kRefreshPeriodMs;
    int messages = 0;

  private:
    std::map<Field, std::string> texts_;
};

class PageTransport : public HttpTransport {
  public:
    explicit PageTransport(std::map<std::string, std::string, std::less<>> pages)
        : pages_(std::move(pages)) {}

    HttpResponse get(const HttpRequest& request) override {
        const std::lock_guard lock(mutex_);
        ++requests_;
        HttpResponse response;
        const auto page = pages_.find(request.target);
        if (page == pages_.end()) {
            return response;  // as an unreachable router
        }
        response.received = true;
        response.status = 200;
        response.body = page->second;
        response.contentType = std::string(kGbkContentType);
        return response;
    }

    int requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    mutable std::mutex mutex_;
    std::map<std::string, std::string, std::less<>> pages_;
    int requests_ = 0;
};

struct SimPages {
    std::string status;
    std::string network;
    std::string station;
};

const SimPages& simPages() {
    static const SimPages pages = [] {
        const sim::RouterState state;
        return SimPages{sim::renderStatusPage(state), sim::renderWlanNetworkPage(state),
                        sim::renderWlanStationPage(state, 1)};
    }();
    return pages;
}

// The next page of a kAllPages input; the last one takes whatever is left.
std::string_view nextPage(std::string_view& rest) {
    const std::size_t separator = rest.find(kPageSeparator);
    const std::string_view page = rest.substr(0, separator);
    rest.remove_prefix(separator == rest.npos ? rest.size() : separator + kPageSeparator.size());
    return page;
}

}  // namespace
}  // namespace routerdesk::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace routerdesk;
    using namespace routerdesk::fuzz;
    if (size == 0) {
        return 0;
    }
    const auto choice = static_cast<PageChoice>(data[0] % kPageChoiceCount);
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);

    SimPages pages = simPages();
    switch (choice) {
        case kFuzzStatusPage:
            pages.status = rest;
            break;
        case kFuzzNetworkPage:
            pages.network = rest;
            break;
        case kFuzzStationPage:
            pages.station = rest;
            break;
        case kAllPages:
            pages.status = nextPage(rest);
            pages.network = nextPage(rest);
            pages.station = rest;
            break;
    }

    auto transport =
        std::make_shared<PageTransport>(std::map<std::string, std::string, std::less<>>{
            {std::string(kStatusPage), pages.status},
            {std::string(kWlanNetworkPage), pages.network},
            {std::string(kWlanStationPage), pages.station}});
    HeadlessHost host;
    ProgramContext context(host, transport);
    context.login = {"admin", "admin", "80", "127.0.0.1"};

    refreshStatus(context);

    // A refused login stops the timer and asks once; any other pass reads all three pages.
    const bool refused = host.messages > 0;
    if (refused && (host.period != 0 || host.messages != 1 || transport->requests() != 1)) {
        fail("a refused login was not handled as one stop and one message");
    }
    if (!refused && (host.period != kRefreshPeriodMs || transport->requests() != 3)) {
        fail("a pass without a refused login did not read all three pages");
    }
    if (host.wrote(Field::newSsidBox)) {
        fail("the refresh wrote the field the user types a new SSID into");
    }
    if (context.refreshUnderWay) {
        fail("the pass left its under-way mark behind");
    }
    return 0;
}
