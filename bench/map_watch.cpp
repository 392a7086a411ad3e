// routerdesk-map-watch: starts a program and prints how long it took until the X server mapped
// its top-level window with the given name, measured from just before the program was started,
// with the CPU time the program had used by then and the time it had waited for a CPU.
// Usage: routerdesk-map-watch [--name PREFIX] [--timeout-ms N] -- PROGRAM [ARGS...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// _NET_WM_NAME (UTF-8) as toolkits set it, else the old WM_NAME.
std::string windowName(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        name.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (name.empty()) {
        char* old = nullptr;
        if (XFetchName(display, window, &old) && old != nullptr) {
            name = old;
            XFree(old);
        }
    }
    return name;
}

// Summed over the program's threads so far: time on a CPU, and time runnable but waiting for
// one. The second is what a busy machine adds to the start.
struct SchedTimes {
    double cpuMs = 0;
    double waitMs = 0;
};

SchedTimes schedTimes(pid_t pid) {
    SchedTimes times;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream stat(task.path() / "schedstat");
        double onCpuNs = 0;
        double waitingNs = 0;
        if (stat >> onCpuNs >> waitingNs) {
            times.cpuMs += onCpuNs / 1e6;
            times.waitMs += waitingNs / 1e6;
        }
    }
    return times;
}

void endChild(pid_t child) {
    kill(child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            return;
        }
        usleep(10'000);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
    std::string prefix;
    double timeoutMs = 30'000;
    int programAt = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            programAt = i + 1;
            break;
        }
        if (std::strcmp(argv[i], "--name") == 0 && i + 1 < argc) {
            prefix = argv[++i];
        } else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc) {
            timeoutMs = std::atof(argv[++i]);
        }
    }
    if (programAt < 0 || programAt >= argc) {
        std::fputs("Usage: routerdesk-map-watch [--name PREFIX] [--timeout-ms N] -- PROGRAM ...\n",
                   stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("routerdesk-map-watch: no X display\n", stderr);
        return 2;
    }
    // Watching before the program starts, so no map can slip past.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[programAt], argv + programAt);
        _exit(127);
    }
    if (child < 0) {
        return 2;
    }
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || event.xmap.override_redirect) {
                continue;
            }
            const double mapped = nowMs() - start;
            const std::string name = windowName(display, event.xmap.window);
            if (name.compare(0, prefix.size(), prefix) == 0) {
                const SchedTimes times = schedTimes(child);
                std::printf("RESULT mapped ms=%.1f cpu_ms=%.1f runqueue_wait_ms=%.1f\n", mapped,
                            times.cpuMs, times.waitMs);
                std::fflush(stdout);
                endChild(child);
                return 0;
            }
        }
        const double left = timeoutMs - (nowMs() - start);
        if (left <= 0 || waitpid(child, nullptr, WNOHANG) == child) {
            std::fputs("routerdesk-map-watch: no window mapped\n", stderr);
            endChild(child);
            return 1;
        }
        poll(&connection, 1, static_cast<int>(left < 50 ? left + 1 : 50));
    }
}
