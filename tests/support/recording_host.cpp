// The recording host of the tests.
#include "tests/support/recording_host.h"

#include <thread>

#include "skin/theme.h"
#include "tests/support/pause.h"

namespace routerdesk::testing {

std::string RecordingHost::fieldText(Field field) {
    const auto it = texts.find(field);
    return it == texts.end() ? std::string() : it->second;
}

void RecordingHost::setFieldText(Field field, const std::string& text) {
    texts[field] = text;
    writes.push_back(field);
}

void RecordingHost::setFieldColor(Field field, Color color) {
    colors[field] = color;
}

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
    // A test stand-in for a window system's wait, so it polls: the timed condition-variable wait
    // of MinGW's thread library can hang for good under Wine.
    const auto interval = onDispatch ? messageInterval : std::chrono::milliseconds(1);
    const auto giveUp = std::chrono::steady_clock::now() + idleLimit;
    auto nextMessage = std::chrono::steady_clock::now() + interval;
    while (!job.isDone()) {
        const auto now = std::chrono::steady_clock::now();
        if (onDispatch && now >= nextMessage) {
            // Messages keep arriving, so the idle limit never runs out while the job runs.
            dispatchPendingMessages();
            nextMessage = now + interval;
        } else if (!onDispatch && now >= giveUp) {
            ++abandonedWaits;
            return false;
        }
        pauseFor(std::chrono::milliseconds(1));
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
