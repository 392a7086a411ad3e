// A Host without a window system: records what the program shows and lets a test play the
// part of the window messages that arrive while the program waits.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/host.h"

namespace routerdesk::testing {

// Thrown by RecordingHost::endProcess, so that a test sees the end of the run and its code.
struct ProcessEnded {
    int exitCode;
};

class RecordingHost : public Host {
  public:
    std::string fieldText(Field field) override;
    void setFieldText(Field field, const std::string& text) override;
    void setFieldColor(Field field, Color color) override;
    void showStatusLine(const std::string& text, Color color) override;
    void setRefreshPeriod(unsigned milliseconds) override;
    void showMessage(const std::string& text) override;
    void dispatchPendingMessages() override;
    bool waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) override;
    void applyTheme(const Theme& theme) override;
    void runLoginWindow() override;
    void activateMainWindow() override;
    [[noreturn]] void endProcess(int exitCode) override;

    // The messages "arriving" during waits and yields: called on every dispatch.
    std::function<void()> onDispatch;
    // How often a wait dispatches while its job runs (only with onDispatch set).
    std::chrono::milliseconds messageInterval{5};

    std::map<Field, std::string> texts;
    std::map<Field, Color> colors;
    std::vector<std::pair<std::string, Color>> statusLines;
    std::vector<std::string> messages;
    std::vector<Field> writes;  // every setFieldText, in order
    unsigned refreshPeriod = 0;
    int dispatches = 0;
    int waits = 0;
    int abandonedWaits = 0;
    int loginWindows = 0;
    int activations = 0;
    std::function<void()> loginWindow;  // what the login window does, if anything
    int themeNumber = 0;
    // The calls that order matters for: "theme", "dispatch", "login window", "period N",
    // "message", "activate", "end N".
    std::vector<std::string> events;
};

}  // namespace routerdesk::testing
