// routerdesk_soak: refresh passes and commands without end against the in-process simulated
// router while its misbehaviour changes from pass to pass. Fails when a field ever shows what the
// router did not say, or when resident memory keeps growing after the warm-up.
//
//   routerdesk_soak [PASSES] [BOUND_KIB] [WARM_UP]
//
// Defaults: 1000 passes, 2048 KiB, a warm-up of 300 passes or a tenth (at most half of them).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "control/commands.h"
#include "status/refresh.h"
#include "tests/support/process_memory.h"
#include "tests/support/recording_host.h"
#include "tools/router-sim/simulated_router.h"

#if defined(__SANITIZE_ADDRESS__)
// No quarantine: with one, freed blocks wait their turn in it while new ones are carved, and
// resident memory climbs for thousands of passes without the program holding more (after a
// 2,000-pass warm-up, 10,000 passes grew 10 MiB with 4 MiB of quarantine, half that with none,
// and 0.6 MiB in the build without the sanitizer). Use after free is still caught until the
// block is handed out again, and the unit and integration tests keep the full quarantine. Short
// allocation stacks: the libraries without frame pointers (curl, zlib) give ever new ones that
// its stack store keeps for good. Freed pages go back at once.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=0:malloc_context_size=4:allocator_release_to_os_interval_ms=0";
}
#endif

namespace routerdesk {
namespace {

using namespace std::chrono_literals;
using testing::RecordingHost;
using Fields = std::map<Field, std::string>;

struct Phase {
    const char* name;
    std::function<void(sim::Misbehaviour&, const std::string& ownUrl)> misbehave;
    // The router cannot act on a command now, so one may be sent without changing its state.
    bool commandRefused = false;
    bool loginRefused = false;
};

const std::vector<Phase>& phases() {
    static const std::vector<Phase> all = {
        {"plain", [](sim::Misbehaviour&, const std::string&) {}},
        {"delay", [](sim::Misbehaviour& m, const std::string&) { m.delay = 5ms; }},
        {"drop-every-2", [](sim::Misbehaviour& m, const std::string&) { m.dropEvery = 2; }},
        {"gzip",
         [](sim::Misbehaviour& m, const std::string&) { m.encoding = sim::BodyEncoding::gzip; }},
        {"deflate",
         [](sim::Misbehaviour& m, const std::string&) { m.encoding = sim::BodyEncoding::deflate; }},
        {"utf8", [](sim::Misbehaviour& m, const std::string&) { m.utf8 = true; }},
        {"chunked", [](sim::Misbehaviour& m, const std::string&) { m.chunked = true; }},
        {"truncate", [](sim::Misbehaviour& m, const std::string&) { m.truncateAt = 700; }},
        {"huge-256KiB", [](sim::Misbehaviour& m, const std::string&) { m.hugeBytes = 256 << 10; }},
        {"redirect-loop",
         [](sim::Misbehaviour& m, const std::string& ownUrl) { m.redirectTo = ownUrl; }},
        {"refuse-login", [](sim::Misbehaviour& m, const std::string&) { m.refuseLogin = true; },
         true, true},
        {"one-line-arrays",
         [](sim::Misbehaviour& m, const std::string&) {
             m.oneLineArrays = {"lanPara", "wlanPara", "wanPara", "wlanHostPara"};
         }},
        {"garbage", [](sim::Misbehaviour& m, const std::string&) { m.garbageBytes = 4096; }, true},
        {"status-500", [](sim::Misbehaviour& m, const std::string&) { m.status = 500; }, true},
        {"no-authority", [](sim::Misbehaviour& m, const std::string&) { m.noAuthority = true; },
         true},
        {"extra-pieces", [](sim::Misbehaviour& m, const std::string&) { m.extraPieces = 2000; }},
        {"gzip-chunked-utf8",
         [](sim::Misbehaviour& m, const std::string&) {
             m.encoding = sim::BodyEncoding::gzip;
             m.chunked = true;
             m.utf8 = true;
         }},
    };
    return all;
}

double mib(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

class Soak {
  public:
    Soak() {
        sim::SimOptions options;
        options.timings = {200ms, 0ms};                        // the station count stays put
        options.initialState.wanLink = sim::WanLink::offline;  // and no clock shows on a page
        options.keptRequests = 64;  // the router's memory is not what is measured
        router_ = std::make_unique<sim::SimulatedRouter>(options);
    }

    bool start() {
        if (!router_->start()) {
            return false;
        }
        context_.login = {"admin", "admin", std::to_string(router_->port()), "127.0.0.1"};
        // What a pass of each phase writes, on fields that start out empty: a pass may change
        // these and no others.
        for (std::size_t i = 0; i < phases().size(); ++i) {
            host_.texts.clear();
            pass(i);
            writes_.push_back(host_.texts);
        }
        good_ = writes_[0];
        if (good_.size() != 18) {
            std::fprintf(stderr, "a good pass filled %zu fields, not 18\n", good_.size());
            return false;
        }
        host_.texts = good_;
        return true;
    }

    // One pass of phase i, and a command where the router will refuse it; false when a field
    // shows anything but what this phase must show.
    bool pass(std::size_t i) {
        const Phase& phase = phases()[i];
        sim::Misbehaviour misbehaviour;
        phase.misbehave(misbehaviour, router_->url());
        router_->setMisbehaviour(misbehaviour);
        const std::size_t messages = host_.messages.size();
        Fields expected = host_.texts;
        if (i < writes_.size()) {
            for (const auto& [field, text] : writes_[i]) {
                expected[field] = text;
            }
        }
        host_.refreshPeriod = kRefreshPeriodMs;
        handleRefreshTick(context_);
        if (phase.commandRefused) {
            toggleWireless(context_);
        }
        bool right = host_.texts == expected;
        const bool loginFailed = host_.messages.size() == messages + 1 && host_.refreshPeriod == 0;
        if (phase.loginRefused != loginFailed) {
            right = false;
        }
        if (host_.messages.size() > 1000) {
            host_.messages.clear();  // the recording would grow with every refused login
        }
        host_.statusLines.clear();
        host_.writes.clear();
        host_.events.clear();
        return right;
    }

    const Fields& good() const { return good_; }
    const Fields& writes(std::size_t i) const { return writes_[i]; }

  private:
    std::unique_ptr<sim::SimulatedRouter> router_;
    RecordingHost host_;
    // Short, so that a page the router never finishes costs little.
    ProgramContext context_{host_, makeHttpTransport(2000ms)};
    Fields good_;
    std::vector<Fields> writes_;
};

// The slope of the least-squares line through (pass, bytes); 0 with fewer than two samples.
double trendPerPass(const std::vector<std::pair<double, double>>& samples) {
    const double n = static_cast<double>(samples.size());
    if (samples.size() < 2) {
        return 0;
    }
    double sumX = 0, sumY = 0;
    for (const auto& [x, y] : samples) {
        sumX += x;
        sumY += y;
    }
    double covariance = 0, variance = 0;
    for (const auto& [x, y] : samples) {
        covariance += (x - sumX / n) * (y - sumY / n);
        variance += (x - sumX / n) * (x - sumX / n);
    }
    return variance > 0 ? covariance / variance : 0;
}

int run(long passes, long boundKiB, long warmUp) {
    Soak soak;
    if (!soak.start()) {
        std::fprintf(stderr, "routerdesk_soak: the simulated router did not start\n");
        return 2;
    }
    // Whatever a phase writes must be what a good pass shows; only arrays in the other layout
    // give other texts (their values stand after a blank instead of a line feed).
    for (std::size_t i = 0; i < phases().size(); ++i) {
        const std::string name = phases()[i].name;
        for (const auto& [field, text] : soak.writes(i)) {
            if (name != "one-line-arrays" && soak.good().at(field) != text) {
                std::fprintf(stderr, "phase %s writes %s differently from a good pass\n",
                             name.c_str(), std::string(fieldName(field)).c_str());
                return 1;
            }
        }
        std::printf("phase %-18s writes %2zu fields\n", name.c_str(), soak.writes(i).size());
    }
    const auto start = std::chrono::steady_clock::now();
    // Resident memory after the warm-up, every 50 passes: the allocators' own ups and downs are
    // a few MiB either way, so the trend is the least-squares line through the samples, not the
    // difference of two of them.
    std::vector<std::pair<double, double>> samples;
    long errors = 0;
    for (long done = 1; done <= passes; ++done) {
        const std::size_t phase = static_cast<std::size_t>(done) % phases().size();
        if (!soak.pass(phase)) {
            ++errors;
            std::fprintf(stderr, "pass %ld (%s): a field shows a wrong value\n", done,
                         phases()[phase].name);
        }
        const bool sample = done >= warmUp && (done - warmUp) % 50 == 0;
        const bool checkpoint =
            done == 10 || done == 100 || done == warmUp || done % 1000 == 0 || done == passes;
        if (sample || checkpoint) {
            const std::size_t resident = testing::residentBytes();
            if (sample) {
                samples.emplace_back(static_cast<double>(done), static_cast<double>(resident));
            }
            if (checkpoint) {
                const auto seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                std::printf("passes %ld  errors %ld  RSS %.2f MiB  %.1f s\n", done, errors,
                            mib(resident), seconds);
                std::fflush(stdout);
            }
        }
    }
    const long growthKiB =
        std::lround(trendPerPass(samples) * static_cast<double>(passes - warmUp) / 1024.0);
    std::printf(
        "growth after the warm-up (%ld passes), by the trend of %zu samples: %ld KiB "
        "(bound %ld KiB)\n",
        warmUp, samples.size(), growthKiB, boundKiB);
    if (errors > 0) {
        return 1;
    }
    return growthKiB > boundKiB ? 1 : 0;
}

}  // namespace
}  // namespace routerdesk

int main(int argc, char** argv) {
    const long passes = argc > 1 ? std::atol(argv[1]) : 1000;
    const long boundKiB = argc > 2 ? std::atol(argv[2]) : 2048;
    // The allocator and the transport's caches settle within a few hundred passes.
    const long warmUp =
        argc > 3 ? std::atol(argv[3]) : std::min(passes / 2, std::max(300L, passes / 10));
    if (passes <= 0 || boundKiB <= 0 || warmUp <= 0 || warmUp >= passes) {
        std::fprintf(stderr, "usage: routerdesk_soak [PASSES] [BOUND_KIB] [WARM_UP]\n");
        return 2;
    }
    return routerdesk::run(passes, boundKiB, warmUp);
}
