#pragma once
// SIGTERM and SIGINT as events of the window system. The signal handler
// only writes the signal's number into a pipe; the read end is watched by
// the event loop, so the program learns of the signal at its next pump and
// handles it there like any other event, never inside the handler.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace gui {

class SignalWatch {
public:
    // onSignal runs from the event loop with the signal's number.
    explicit SignalWatch(std::function<void(int)> onSignal);
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    // Hands on at once every signal that came since the last pump of
    // events (the end of the program pumps no more).
    void Drain();
    // The end of the process, past the program's last Drain: SIGTERM and
    // SIGINT get their default action back, and a signal that came since
    // that Drain, which nobody would read now, ends the process by it, as
    // does any later one. Either way the process ends with 128 + its number.
    void Close();

private:

    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace gui
