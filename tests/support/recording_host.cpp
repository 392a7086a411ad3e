// The recording host of the tests.
#include "tests/support/recording_host.h"

#include "skin/theme.h"

namespace routerdesk::testing {

std::string RecordingHost::fieldText(Field field) {
    const auto it = texts.find(field);
    return it == texts.end() ? std::string() : it->second;
}

void RecordingHost::setFieldText(Field field, const std::string& text) {
    texts[field] = text;
    writes.push_back(field);
}

void RecordingHost::setFieldColor(Field field, Color color) { colors[field] = color; }

void RecordingHost::showStatusLine(const std::string& text, Color color) {
    statusLines.emplace_back(text, color);
}

void RecordingHost::setRefreshPeriod(unsigned milliseconds) {
    refreshPeriod = milliseconds;
    events.push_back("period " + std::to_string(milliseconds));
}

void RecordingHost::showMessage(const std::string& text) {
    messages.push_back(text);
    events.push_back("message");
}

void RecordingHost::dispatchPendingMessages() {
    ++dispatches;
    events.push_back("dispatch");
    if (onDispatch) {
        onDispatch();
    }
}

bool RecordingHost::waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    ++waits;
    if (!onDispatch) {
        // Short slices: a wake-up lost by a thread library (seen under Wine) costs a slice, not
        // the whole limit.
        const auto giveUp = std::chrono::steady_clock::now() + idleLimit;
        while (std::chrono::steady_clock::now() < giveUp) {
            if (job.waitFor(std::chrono::milliseconds(20))) {
                return true;
            }
        }
        ++abandonedWaits;
        return false;
    }
    // Messages keep arriving, so the idle limit never runs out while the job runs.
    while (!job.waitFor(messageInterval)) {
        dispatchPendingMessages();
    }
    return true;
}

void RecordingHost::applyTheme(const Theme& theme) {
    themeNumber = theme.number;
    events.push_back("theme");
}

void RecordingHost::runLoginWindow() {
    ++loginWindows;
    events.push_back("login window");
    if (loginWindow) {
        loginWindow();
    }
}

void RecordingHost::activateMainWindow() {
    ++activations;
    events.push_back("activate");
}

void RecordingHost::endProcess(int exitCode) {
    events.push_back("end " + std::to_string(exitCode));
    throw ProcessEnded{exitCode};
}

}  // namespace routerdesk::testing
