// Start-up and shutdown, in the order the rest of the program relies on.
#include "core/life_cycle.h"

#include <exception>

#include "core/settings.h"
#include "skin/theme.h"
#include "status/refresh.h"

namespace routerdesk {

void startUp(ProgramContext& context) {
    Host& host = context.host;
    host.applyTheme(themeByNumber(kDefaultThemeNumber));
    host.dispatchPendingMessages();
    loadLogin(context.login, settingsFileOf(context));
    if (context.login.account.empty() || context.login.password.empty()) {
        host.runLoginWindow();
    }
    if (context.login.account.empty()) {
        endProgram(context, kExitOk);
    }
    // Started before the first pass, so the cycle runs on even if that pass waits long.
    host.setRefreshPeriod(kRefreshPeriodMs);
    host.dispatchPendingMessages();
    refreshStatus(context);
    host.activateMainWindow();
}

void handleCloseRequest(ProgramContext& context) {
    context.host.setRefreshPeriod(0);
}

void endProgram(ProgramContext& context, int exitCode) {
    releaseLogin(context);
    context.host.endProcess(exitCode);
    std::terminate();  // a host must not return from ending the process
}

void releaseLogin(ProgramContext& context) {
    // Cleared and given back, so that no copy of the password outlives the run in this object.
    for (std::string* text : {&context.login.managementIp, &context.login.port,
                              &context.login.account, &context.login.password}) {
        text->assign(text->size(), '\0');
        text->clear();
        text->shrink_to_fit();
    }
}

}  // namespace routerdesk
