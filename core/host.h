// The one seam between the portable program and a window system.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace routerdesk {

struct Theme;

// A Windows colour value, 0x00BBGGRR.
using Color = std::uint32_t;

inline constexpr Color kBlack = 0x000000;
inline constexpr Color kRed = 0x0000FF;
inline constexpr Color kBlue = 0xFF0000;
inline constexpr Color kMagenta = 0xFF00FF;
inline constexpr Color kPurple = 0x800080;

// The display fields of the main window that the refresh writes and the commands read.
enum class Field {
    lanMacBox,
    lanIpBox,
    lanMaskBox,
    wirelessStateBox,
    ssidBox,
    channelBox,
    modeBox,
    bandwidthBox,
    wdsStateBox,
    broadcastStateBox,
    wanMacBox,
    wanIpBox,
    wanMaskBox,
    wanGatewayBox,
    wanDnsBox,
    wanUptimeBox,
    wanLinkBox,
    newSsidBox,
    stationCountLabel,
};

inline constexpr int kFieldCount = static_cast<int>(Field::stationCountLabel) + 1;

std::string_view fieldName(Field field);

// Finishing line of a background job, shared by the worker that crosses it and the UI
// thread that waits for it. Held by shared_ptr so that a worker outliving an abandoned wait
// still writes into live memory.
class Completion {
  public:
    // Worker side: marks the job done and wakes the waiter, if one is registered.
    void markDone();
    bool isDone() const;

    // UI side: `wake` is called once, from the worker thread, when the job ends (at once when it
    // has ended already). A waiter that stops waiting clears it first, so that `wake` never runs
    // after the waiter's resources are gone.
    void setWakeUp(std::function<void()> wake);
    void clearWakeUp();

  private:
    std::mutex mutex_;  // guards wake_, so that clearing it ends every call of it
    std::atomic<bool> done_{false};
    std::function<void()> wake_;
};

// Everything the portable program needs from a window system. Texts are GBK bytes.
class Host {
  public:
    virtual ~Host() = default;

    virtual std::string fieldText(Field field) = 0;
    virtual void setFieldText(Field field, const std::string& text) = 0;
    virtual void setFieldColor(Field field, Color color) = 0;

    // Sets the status line's text, then its colour.
    virtual void showStatusLine(const std::string& text, Color color) = 0;

    // The refresh timer: 0 stops it; a new positive period (re)starts it; the same one changes
    // nothing.
    virtual void setRefreshPeriod(unsigned milliseconds) = 0;

    // A blocking message box with the caption "信息：" and one OK button.
    virtual void showMessage(const std::string& text) = 0;

    // Dispatches the window messages already waiting and returns when none is left; a quit
    // message stays in the queue.
    virtual void dispatchPendingMessages() = 0;

    // Waits for `job` while dispatching window messages as they arrive. Gives up, returning
    // false, only after `idleLimit` in which neither the job ended nor any message arrived.
    virtual bool waitWhileDispatching(Completion& job, std::chrono::milliseconds idleLimit) = 0;

    // Gives every window of the program, present and future, the theme's look.
    virtual void applyTheme(const Theme& theme) = 0;

    // The modal login window; returns when it has closed.
    virtual void runLoginWindow() = 0;
    virtual void activateMainWindow() = 0;
    [[noreturn]] virtual void endProcess(int exitCode) = 0;
};

}  // namespace routerdesk
