// routerdesk-sim: a simulated TL-WR745N on loopback until SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tools/router-sim/sim_options.h"
#include "tools/router-sim/simulated_router.h"

int main(int argc, char** argv) {
    using namespace routerdesk::sim;

    const CommandLine commandLine =
        parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.showHelp) {
        std::cout << helpText();
        return 0;
    }
    if (!commandLine.error.empty()) {
        std::cerr << "routerdesk-sim: " << commandLine.error << "\n(see routerdesk-sim --help)\n";
        return 2;
    }

    // Blocked before any thread starts, so that every thread leaves them to sigwait below.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    const SimOptions& options = commandLine.options;
    SimulatedRouter router(options);
    if (!router.start()) {
        std::cerr << "routerdesk-sim: cannot listen on " << options.address << " port "
                  << options.port
                  << (options.logPath.empty() ? "" : " or cannot write " + options.logPath) << "\n";
        return 1;
    }
    // The first line is for scripts and tests waiting for the port; it must leave at once.
    std::cout << router.url() << std::endl;
    std::cerr << "routerdesk-sim: serving a TL-WR745N; Ctrl+C ends it\n";

    int signal = 0;
    sigwait(&endSignals, &signal);
    router.stop();
    return 0;
}
