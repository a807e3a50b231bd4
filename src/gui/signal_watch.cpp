#include "gui/signal_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace gui {

namespace {

// One pipe per process: signal dispositions are process-wide too.
int signalPipe[2] = {-1, -1};

// Set by Close before it reads the pipe a last time.
std::atomic<bool> closed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read inside the signal handler");

void RestoreDefaultActions() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void OnSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // write() is async-signal-safe; a full pipe drops the byte, and one
    // waiting byte is enough to end the program.
    [[maybe_unused]] auto written = ::write(signalPipe[1], &number, 1);
    // A handler that began before Close restored the default action may
    // write after Close has read the pipe: the signal's own action ends
    // the process then (it is blocked in here, and acts on the return).
    if (closed.load()) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    errno = savedErrno;
}

}  // namespace

SignalWatch::SignalWatch(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    closed = false;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Drain(); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

SignalWatch::~SignalWatch() { RestoreDefaultActions(); }

void SignalWatch::Drain() {
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) == 1) {
        if (onSignal_) onSignal_(number);
    }
}

void SignalWatch::Close() {
    closed = true;
    RestoreDefaultActions();
    unsigned char number = 0;
    if (signalPipe[0] >= 0 && ::read(signalPipe[0], &number, 1) == 1) std::raise(number);
}

}  // namespace gui
