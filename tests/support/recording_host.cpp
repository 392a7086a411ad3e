// The recording host of the tests.
#include "tests/support/recording_host.h"

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

void RecordingHost::setRefreshPeriod(unsigned milliseconds) { refreshPeriod = milliseconds; }

void RecordingHost::showMessage(const std::string& text) { messages.push_back(text); }

void RecordingHost::dispatchPendingMessages() {
    ++dispatches;
    if (onDispatch) {
        onDispatch();
    }
}

bool RecordingHost::waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) {
    ++waits;
    if (!onDispatch) {
        if (job.waitFor(idleLimit)) {
            return true;
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

void RecordingHost::runLoginWindow() {
    ++loginWindows;
    if (loginWindow) {
        loginWindow();
    }
}

void RecordingHost::activateMainWindow() { ++activations; }

void RecordingHost::endProcess(int exitCode) {
    throw ProcessEnded{exitCode};
}

}  // namespace routerdesk::testing
