// routerdesk on Linux: builds the main window hidden, runs start-up, then shows it.
#include <gtkmm.h>

#include <cstdio>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/http_transport.h"
#include "core/life_cycle.h"
#include "core/program_context.h"
#include "ui/gtk/gtk_host.h"
#include "ui/gtk/main_window.h"

int main(int argc, char** argv) {
    using namespace routerdesk;

#if defined(__GLIBC__)
    // A fixed threshold instead of glibc's sliding one. Once a large response body is freed,
    // the sliding threshold rises to its size, and later bodies of up to that size are carved
    // from the heaps of the request threads' arenas, which keep their pages: a router that
    // answers with a few huge bodies would leave the program holding 100 MiB and more for the
    // rest of the run. Blocks from 1 MiB on are mapped on their own and go back when freed.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif

    // The program draws nothing with OpenGL. Unless told otherwise, GDK would still load the GL
    // driver at start to rank the screen's visuals by it: with Mesa's software driver that was
    // half of the time to the first window. A GDK_GL the user set is left as it is.
    setenv("GDK_GL", "disable", 0);
    if (!gtk_init_check(&argc, &argv)) {
        std::fputs("routerdesk: cannot open the display (is DISPLAY set?)\n", stderr);
        return 1;
    }
    Gtk::Main gtkmm(argc, argv);

    gtk::GtkHost host;
    ProgramContext context(host, makeHttpTransport());
    gtk::MainWindow mainWindow(context);
    host.attach(context, mainWindow);

    // May end the process (no account given); the main window has then never been shown.
    startUp(context);
    mainWindow.show();
    // The run ends only in endProgram, when the main window closes.
    Gtk::Main::run();
    return kExitOk;
}
