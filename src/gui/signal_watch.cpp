#include "gui/signal_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace gui {

namespace {

// One pipe per process: signal dispositions are process-wide too.
int signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // write() is async-signal-safe; a full pipe drops the byte, and one
    // waiting byte is enough to end the program.
    [[maybe_unused]] auto written = ::write(signalPipe[1], &number, 1);
    errno = savedErrno;
}

}  // namespace

SignalWatch::SignalWatch(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Drain(); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

SignalWatch::~SignalWatch() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void SignalWatch::Drain() {
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1) {
        if (onSignal_) onSignal_(number);
    }
}

}  // namespace gui
