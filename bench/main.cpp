// routerdesk-bench: the refresh cycle's costs, measured in one process and printed as RESULT
// lines (name, then key=value pairs) that scripts/bench.sh gathers into its table.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/bench_host.h"
#include "bench/measure.h"
#include "bench/silent_listener.h"
#include "core/gbk.h"
#include "core/http_transport.h"
#include "core/program_context.h"
#include "core/router_request.h"
#include "core/settings.h"
#include "status/refresh.h"
#include "status/script_array.h"

#ifdef ROUTERDESK_BENCH_IN_PROCESS_ROUTER
#include "tools/router-sim/simulated_router.h"
#endif

namespace routerdesk::bench {
namespace {

constexpr std::string_view kUsage =
    "Usage: routerdesk-bench COMMAND [--router URL] [--passes N]\n"
    "  pass-overhead   refresh pass against the router vs the same GETs on the bare transport\n"
    "  cpu-per-pass    refresh pass on bodies fetched beforehand, returned at once\n"
    "  array-reader    script array reader vs memmem/memchr on a 1 MiB GBK page\n"
    "  memory          resident memory after 10 and after --passes passes (--instant: on\n"
    "                  answers fetched once, without the transport; --bare: the GETs alone)\n"
    "  outage          gaps between event-loop dispatches during --seconds of a silent router\n"
    "  write-settings FOLDER PORT   the settings file for 127.0.0.1:PORT, admin/admin\n"
    "--router URL: a running routerdesk-sim (http://127.0.0.1:PORT); without it the Linux build\n"
    "starts one in this process.\n";

struct Options {
    std::string command;
    std::string routerUrl;
    int passes = 0;
    int seconds = 10;
    bool instant = false;  // memory: answers fetched once, so the transport is left out
    bool bare = false;     // memory: the pass's GETs on the bare transport, nothing else
    std::vector<std::string> rest;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    if (argc < 2) {
        return std::nullopt;
    }
    Options options;
    options.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 < argc && arg == "--router") {
            options.routerUrl = argv[++i];
        } else if (i + 1 < argc && arg == "--passes") {
            options.passes = std::atoi(argv[++i]);
        } else if (i + 1 < argc && arg == "--seconds") {
            options.seconds = std::atoi(argv[++i]);
        } else if (arg == "--instant") {
            options.instant = true;
        } else if (arg == "--bare") {
            options.bare = true;
        } else if (arg.starts_with("--")) {
            return std::nullopt;
        } else {
            options.rest.emplace_back(arg);
        }
    }
    return options;
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "routerdesk-bench: %s\n", why.c_str());
    std::fflush(nullptr);
    std::_Exit(1);
}

// The router the passes talk to: one given on the command line, or one of this process's own.
class Router {
  public:
    explicit Router(const std::string& url) {
        if (url.empty()) {
#ifdef ROUTERDESK_BENCH_IN_PROCESS_ROUTER
            sim::SimOptions options;
            options.timings.stationStep = std::chrono::milliseconds(0);
            sim_.emplace(std::move(options));
            if (!sim_->start()) {
                fail("the simulated router did not start");
            }
            port_ = std::to_string(sim_->port());
            return;
#else
            fail("this build needs --router URL");
#endif
        }
        const std::size_t colon = url.rfind(':');
        if (colon == std::string::npos || !url.starts_with("http://127.0.0.1:")) {
            fail("--router wants http://127.0.0.1:PORT");
        }
        port_ = url.substr(colon + 1);
    }

    RouterLogin login() const {
        return {"admin", "admin", port_, "127.0.0.1"};
    }
    std::string where() const {
        return sim_ ? "in-process" : "external";
    }

    // Before the figures that must not count the router's own work in this process.
    void stop() {
#ifdef ROUTERDESK_BENCH_IN_PROCESS_ROUTER
        sim_.reset();
#endif
    }

  private:
#ifdef ROUTERDESK_BENCH_IN_PROCESS_ROUTER
    std::optional<sim::SimulatedRouter> sim_;
#else
    std::optional<int> sim_;
#endif
    std::string port_;
};

// The three requests of a pass exactly as the pass builds them.
std::vector<HttpRequest> passRequests(const RouterLogin& login) {
    std::vector<HttpRequest> requests;
    for (const std::string_view target : {kStatusPage, kWlanNetworkPage, kWlanStationPage}) {
        const std::string url = buildRouterUrl(login, target);
        RouterAddress address = splitRouterUrl(url);
        HttpRequest request;
        request.url = url;
        request.host = std::move(address.host);
        request.port = static_cast<std::uint16_t>(address.port);
        request.target = std::move(address.target);
        request.headers = buildRequestHeaders(buildAuthorizationHeader(login), url);
        requests.push_back(std::move(request));
    }
    return requests;
}

// The floor: the pass's GETs one after another on the calling thread, bodies untouched.
void bareGets(HttpTransport& transport, const std::vector<HttpRequest>& requests) {
    for (const HttpRequest& request : requests) {
        const HttpResponse response = transport.get(request);
        if (!response.received || response.status != 200 || response.body.empty()) {
            fail("a bare GET of " + request.target + " failed");
        }
    }
}

// The transport of the passes, timing each GET where it runs: on the pass's workers.
class TimedTransport final : public HttpTransport {
  public:
    explicit TimedTransport(std::shared_ptr<HttpTransport> inner) : inner_(std::move(inner)) {}

    HttpResponse get(const HttpRequest& request) override {
        const auto start = Clock::now();
        HttpResponse response = inner_->get(request);
        const double us = microsecondsSince(start);
        const std::lock_guard lock(mutex_);
        totalUs_ += us;
        return response;
    }

    // The time spent inside the GETs since the last call.
    double takeTotal() {
        const std::lock_guard lock(mutex_);
        return std::exchange(totalUs_, 0.0);
    }

  private:
    std::shared_ptr<HttpTransport> inner_;
    std::mutex mutex_;
    double totalUs_ = 0;
};

struct PassRig {
    explicit PassRig(const RouterLogin& login, std::shared_ptr<HttpTransport> transport)
        : context(host, std::move(transport)) {
        context.login = login;
    }

    void pass() {
        const int before = host.fieldWrites();
        refreshStatus(context);
        // Every pass over the router's pages writes all of its fields (19 with the label, less
        // newSsidBox); fewer means a page went missing, and the timing means nothing.
        if (host.fieldWrites() - before < kFieldCount - 2 || host.messages() != 0) {
            fail("a refresh pass did not write its fields");
        }
    }

    BenchHost host;
    ProgramContext context;
};

int passOverhead(const Options& options) {
    Router router(options.routerUrl);
    const int passes = options.passes > 0 ? options.passes : 200;
    auto transport = makeHttpTransport();
    const std::vector<HttpRequest> requests = passRequests(router.login());
    auto timed = std::make_shared<TimedTransport>(transport);
    PassRig rig(router.login(), timed);

    for (int i = 0; i < 10; ++i) {
        bareGets(*transport, requests);
        rig.pass();
    }
    std::vector<double> passTimes;
    std::vector<double> floorTimes;
    std::vector<double> ratios;
    std::vector<double> workerGetTimes;
    std::vector<double> uiCpuTimes;
    for (int i = 0; i < passes; ++i) {
        // Side by side, each first on every other round, so a drift in the machine's load falls
        // on both alike.
        double floorUs = 0;
        double passUs = 0;
        for (int half = 0; half < 2; ++half) {
            const auto start = Clock::now();
            if ((half == 0) == (i % 2 == 0)) {
                bareGets(*transport, requests);
                floorUs = microsecondsSince(start);
            } else {
                timed->takeTotal();
                const double cpuStart = threadCpuMicroseconds();
                rig.pass();
                passUs = microsecondsSince(start);
                uiCpuTimes.push_back(threadCpuMicroseconds() - cpuStart);
                workerGetTimes.push_back(timed->takeTotal());
            }
        }
        passTimes.push_back(passUs);
        floorTimes.push_back(floorUs);
        ratios.push_back(passUs / floorUs);
    }
    const double passMedian = median(passTimes);
    const double floorMedian = median(floorTimes);
    std::printf(
        "RESULT pass-overhead router=%s passes=%d pass_us=%.1f floor_us=%.1f ratio=%.3f "
        "median_of_ratios=%.3f pass_p90_us=%.1f floor_p90_us=%.1f gets_in_pass_us=%.1f "
        "ui_thread_cpu_us=%.1f\n",
        router.where().c_str(), passes, passMedian, floorMedian, passMedian / floorMedian,
        median(ratios), percentile(passTimes, 0.9), percentile(floorTimes, 0.9),
        median(workerGetTimes), median(uiCpuTimes));
    return 0;
}

// Answers every request at once with the response the router gave to its target beforehand.
class InstantTransport final : public HttpTransport {
  public:
    explicit InstantTransport(std::map<std::string, HttpResponse> answers)
        : answers_(std::move(answers)) {}

    HttpResponse get(const HttpRequest& request) override {
        const auto it = answers_.find(request.target);
        return it == answers_.end() ? HttpResponse{} : it->second;
    }

  private:
    const std::map<std::string, HttpResponse> answers_;
};

std::map<std::string, HttpResponse> fetchAnswers(Router& router) {
    auto transport = makeHttpTransport();
    std::map<std::string, HttpResponse> answers;
    for (const HttpRequest& request : passRequests(router.login())) {
        HttpResponse response = transport->get(request);
        if (!response.received || response.status != 200) {
            fail("fetching " + request.target + " failed");
        }
        answers[request.target] = std::move(response);
    }
    return answers;
}

int cpuPerPass(const Options& options) {
    Router router(options.routerUrl);
    const int passes = options.passes > 0 ? options.passes : 2000;
    PassRig rig(router.login(), std::make_shared<InstantTransport>(fetchAnswers(router)));
    router.stop();

    for (int i = 0; i < 50; ++i) {
        rig.pass();
    }
    std::vector<double> cpu;
    std::vector<double> uiCpu;
    std::vector<double> wall;
    for (int i = 0; i < passes; ++i) {
        const double cpuStart = processCpuMicroseconds();
        const double uiCpuStart = threadCpuMicroseconds();
        const auto start = Clock::now();
        rig.pass();
        wall.push_back(microsecondsSince(start));
        uiCpu.push_back(threadCpuMicroseconds() - uiCpuStart);
        cpu.push_back(processCpuMicroseconds() - cpuStart);
    }
    std::printf(
        "RESULT cpu-per-pass passes=%d cpu_us=%.1f ui_thread_cpu_us=%.1f wall_us=%.1f "
        "wall_p90_us=%.1f\n",
        passes, median(cpu), median(uiCpu), median(wall), percentile(wall, 0.9));
    return 0;
}

#ifndef _WIN32  // memmem is the GNU C library's; the figure is taken on Linux

// A page of 1 MiB: Chinese text and markup such as the router's help pages hold, then the
// status page with its arrays, so each search crosses the whole MiB.
std::string bigGbkPage(const std::string& statusPage) {
    constexpr std::size_t kPageBytes = 1u << 20;
    const std::string paragraph = utf8ToGbk(
        "<P>无线网络状态：本页显示路由器当前的运行状态，包括局域网口、无线功能和广域网口的参数。"
        "若宽带连接异常，请检查线路或联系网络服务商。</P>\r\n"
        "<TD class=Item>MAC 地址：</TD><TD>00-0A-EB-13-7B-00 信道 自动 频段带宽 40MHz</TD>\r\n");
    std::string page;
    page.reserve(kPageBytes);
    while (page.size() + paragraph.size() + statusPage.size() < kPageBytes) {
        page += paragraph;
    }
    page += statusPage;
    return page;
}

constexpr std::string_view kPageOneMarkers[] = {
    "var lanPara = new Array", "var wlanPara = new Array", "var wanPara = new Array("};

std::size_t readWithReader(std::string_view page) {
    std::size_t pieces = 0;
    for (const std::string_view marker : kPageOneMarkers) {
        pieces += splitScriptArray(extractScriptArray(page, marker, kArrayEnd)).size();
    }
    return pieces;
}

// The same cuts with the C library's byte searches, blind to two-byte characters.
std::size_t readWithMemmem(std::string_view page) {
    std::size_t count = 0;
    for (const std::string_view marker : kPageOneMarkers) {
        const void* found = memmem(page.data(), page.size(), marker.data(), marker.size());
        if (found == nullptr) {
            continue;
        }
        const char* from = static_cast<const char*>(found) + marker.size();
        const char* pageEnd = page.data() + page.size();
        const void* end = memmem(from, static_cast<std::size_t>(pageEnd - from), kArrayEnd.data(),
                                 kArrayEnd.size());
        if (end == nullptr) {
            continue;
        }
        std::vector<std::string> pieces;
        const char* arrayEnd = static_cast<const char*>(end);
        while (from < arrayEnd) {
            const void* comma = std::memchr(from, ',', static_cast<std::size_t>(arrayEnd - from));
            const char* cut = comma != nullptr ? static_cast<const char*>(comma) : arrayEnd;
            pieces.emplace_back(from, cut);
            from = cut + 1;
        }
        count += pieces.size();
    }
    return count;
}

int arrayReader(const Options& options) {
    Router router(options.routerUrl);
    const std::map<std::string, HttpResponse> answers = fetchAnswers(router);
    router.stop();
    const std::string page = bigGbkPage(answers.at(std::string(kStatusPage)).body);
    const int rounds = options.passes > 0 ? options.passes : 200;

    const std::size_t expected = readWithMemmem(page);
    if (expected == 0 || readWithReader(page) != expected) {
        fail("the reader and the byte scan disagree on the page's arrays");
    }
    std::vector<double> readerTimes;
    std::vector<double> scanTimes;
    std::size_t sink = 0;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        sink += readWithReader(page);
        readerTimes.push_back(microsecondsSince(start));
        start = Clock::now();
        sink += readWithMemmem(page);
        scanTimes.push_back(microsecondsSince(start));
    }
    const double reader = median(readerTimes);
    const double scan = median(scanTimes);
    // Each of the three cuts crosses the page once.
    const double bytes = 3.0 * static_cast<double>(page.size());
    std::printf(
        "RESULT array-reader page_bytes=%zu rounds=%d reader_us=%.1f scan_us=%.1f "
        "reader_mb_s=%.0f scan_mb_s=%.0f ratio=%.3f pieces=%zu\n",
        page.size(), rounds, reader, scan, bytes / reader, bytes / scan, scan / reader,
        sink / static_cast<std::size_t>(2 * rounds));
    return 0;
}

#endif

int memory(const Options& options) {
    Router router(options.routerUrl);
    const int passes = options.passes > 0 ? options.passes : 1000;
    std::shared_ptr<HttpTransport> transport = makeHttpTransport();
    if (options.instant) {
        transport = std::make_shared<InstantTransport>(fetchAnswers(router));
    }
    PassRig rig(router.login(), transport);
    const std::vector<HttpRequest> requests = passRequests(router.login());
    MemoryReading early;
    std::string curve;
    for (int i = 1; i <= passes; ++i) {
        if (options.bare) {
            bareGets(*transport, requests);
        } else {
            rig.pass();
        }
        if (i == 10 || i % 100 == 0 || i == passes) {
            // Workers end just after they wake the pass: let the last one go before reading.
            pause(std::chrono::milliseconds(100));
            const MemoryReading now = readMemory();
            if (i == 10) {
                early = now;
            }
            curve += " " + std::to_string(i) + ":" + std::to_string(now.residentBytes / 1024);
        }
    }
    const MemoryReading late = readMemory();
    const auto kib = [](std::uint64_t bytes) { return static_cast<long long>(bytes / 1024); };
    std::printf(
        "RESULT memory transport=%s passes=%d rss10_kib=%lld rss_kib=%lld growth_kib=%lld "
        "private10_kib=%lld "
        "private_kib=%lld\n",
        options.bare      ? "bare-gets"
        : options.instant ? "instant"
                          : "real",
        passes, kib(early.residentBytes), kib(late.residentBytes),
        kib(late.residentBytes) - kib(early.residentBytes), kib(early.privateBytes),
        kib(late.privateBytes));
    std::printf("CURVE rss_kib_by_pass%s\n", curve.c_str());
    return 0;
}

int outage(const Options& options) {
    SilentListener listener;
    if (listener.port() == 0) {
        fail("no loopback port to listen on");
    }
    const auto outage = std::chrono::seconds(options.seconds);
    BenchHost host;
    auto transport = makeHttpTransport();
    ProgramContext context(host, transport);
    context.login = {"admin", "admin", std::to_string(listener.port()), "127.0.0.1"};

    std::vector<Clock::time_point> ticks;
    std::optional<Clock::time_point> outageEnd;
    bool passOver = false;
    const auto started = Clock::now();
    startTicker(std::chrono::milliseconds(10), [&] {
        const auto now = Clock::now();
        if (!outageEnd) {
            ticks.push_back(now);
            if (now - started >= outage) {
                listener.close();
                outageEnd = now;
            }
        }
        return !passOver;
    });
    refreshStatus(context);
    const double passSeconds = microsecondsSince(started) / 1e6;
    passOver = true;
    runEventsUntil([&] { return true; });

    if (!outageEnd || ticks.size() < 2) {
        fail("the pass ended before the outage did: the router was not silent");
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        gaps.push_back(std::chrono::duration<double, std::milli>(ticks[i] - ticks[i - 1]).count());
    }
    std::printf(
        "RESULT outage seconds=%d ticks=%zu max_gap_ms=%.1f median_gap_ms=%.1f p99_gap_ms=%.1f "
        "pass_s=%.2f\n",
        options.seconds, ticks.size(), *std::max_element(gaps.begin(), gaps.end()), median(gaps),
        percentile(gaps, 0.99), passSeconds);
    return 0;
}

int writeSettings(const Options& options) {
    if (options.rest.size() != 2) {
        fail("write-settings wants FOLDER PORT");
    }
    const RouterLogin login{"admin", "admin", options.rest[1], "127.0.0.1"};
    const SettingsSaveResult saved =
        saveLogin(login, std::filesystem::path(options.rest[0]) / kSettingsFileName);
    if (!saved.saved) {
        fail("the settings file was not written: " + saved.reason);
    }
    return 0;
}

}  // namespace
}  // namespace routerdesk::bench

int main(int argc, char** argv) {
    using namespace routerdesk::bench;
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage.data(), stderr);
        return 2;
    }
    const std::map<std::string, int (*)(const Options&)> commands = {
        {"pass-overhead", &passOverhead},
        {"cpu-per-pass", &cpuPerPass},
#ifndef _WIN32
        {"array-reader", &arrayReader},
#endif
        {"memory", &memory},
        {"outage", &outage},
        {"write-settings", &writeSettings},
    };
    const auto it = commands.find(options->command);
    if (it == commands.end()) {
        std::fputs(kUsage.data(), stderr);
        return 2;
    }
    const int status = it->second(*options);
    std::fflush(nullptr);
    // Workers of abandoned requests may still run; static destructors must not pull libcurl's
    // state from under them.
    std::_Exit(status);
}
