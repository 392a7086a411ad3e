// RouterDesk.exe: the program entry on Windows.
#include <windows.h>
// The common controls' header needs the types of windows.h before it.
#include <commctrl.h>

#include "core/http_transport.h"
#include "core/life_cycle.h"
#include "core/program_context.h"
#include "ui/win32/message_pump.h"
#include "ui/win32/window_host.h"

namespace {

// The main window could not be made: nothing can be shown, not even a message of ours.
constexpr int kExitNoWindow = -1;

int runProgram(HINSTANCE instance) {
    using namespace routerdesk;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // The context and the host refer to each other; the host, made first, only keeps the
    // reference until the context exists.
    struct Program {
        explicit Program(HINSTANCE programInstance)
            : host(programInstance, context), context(host, makeHttpTransport()) {}
        win32::WindowHost host;
        ProgramContext context;
    };
    Program program(instance);

    if (!program.host.createMainWindow()) {
        return kExitNoWindow;
    }
    startUp(program.context);  // may end the process; then the window was never shown
    program.host.showMainWindow();
    return win32::runMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        return runProgram(instance);
    } catch (...) {
        return kExitNoWindow;
    }
}
