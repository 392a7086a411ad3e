// The program's context wired to a simulated router on loopback, over the real transport.
#pragma once

#include <gtest/gtest.h>

#include "core/program_context.h"
#include "tests/support/recording_host.h"
#include "tools/router-sim/simulated_router.h"

namespace routerdesk::testing {

class SimulatedRouterTest : public ::testing::Test {
  protected:
    explicit SimulatedRouterTest(sim::SimOptions options = quickOptions())
        : router(std::move(options)) {}

    void SetUp() override {
        ASSERT_TRUE(router.start());
        context.login = {"admin", "admin", std::to_string(router.port()), "127.0.0.1"};
    }

    static sim::SimOptions quickOptions() {
        sim::SimOptions options;
        options.timings = {std::chrono::milliseconds(200), std::chrono::milliseconds(0)};
        return options;
    }

    sim::SimulatedRouter router;
    RecordingHost host;
    ProgramContext context{host, makeHttpTransport()};
};

}  // namespace routerdesk::testing
