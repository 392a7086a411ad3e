// A Host without windows for the benchmarks: the fields are plain texts, but the waits and the
// dispatching are the faces' own, so a pass costs what it costs in the program.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <string>

#include "core/host.h"

namespace routerdesk::bench {

class BenchHost final : public Host {
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

    int fieldWrites() const { return fieldWrites_; }
    int messages() const { return messages_; }

  private:
    std::array<std::string, kFieldCount> texts_;
    std::array<Color, kFieldCount> colors_{};
    std::string statusLine_;
    int fieldWrites_ = 0;
    int messages_ = 0;
};

// A repeating timer of the face's event loop: `tick` runs on every dispatch of it, from the
// main loop or from inside a wait. Stops when `tick` returns false.
void startTicker(std::chrono::milliseconds interval, std::function<bool()> tick);

// Runs the face's event loop until `finished` says so, checking after every dispatch.
void runEventsUntil(const std::function<bool()>& finished);

}  // namespace routerdesk::bench
