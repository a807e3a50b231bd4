#include "gui/qt_app.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <functional>

#include "gui/qt_host.h"
#include "gui/qt_test_app.h"
#include "gui/signal_watch.h"

namespace gui {
namespace {

TEST(QtApp, OnlyThePlatformsChatterIsKeptOffStandardError) {
    EXPECT_TRUE(IsPlatformChatter(QtWarningMsg, "default", "This plugin does not support propagateSizeHints()"));
    EXPECT_TRUE(IsPlatformChatter(QtWarningMsg, "default", "This plugin does not support raise()"));
    EXPECT_TRUE(IsPlatformChatter(QtWarningMsg, "default",
                                  "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'"));
    // Qt calls a runtime folder it cannot make (TMPDIR not writable) critical.
    EXPECT_TRUE(IsPlatformChatter(QtCriticalMsg, "default",
                                  "QStandardPaths: error creating runtime directory '/tmp/f/runtime-root' "
                                  "(Not a directory)"));
    EXPECT_TRUE(IsPlatformChatter(QtInfoMsg, "qt.qpa.fonts", "Populating font family aliases took 120 ms"));
    EXPECT_FALSE(IsPlatformChatter(QtWarningMsg, "default", "QWidget::setLayout: Attempting to set QLayout"));
    EXPECT_FALSE(IsPlatformChatter(QtCriticalMsg, "qt.qpa.xcb", "could not connect to display"));
    EXPECT_FALSE(IsPlatformChatter(QtFatalMsg, "default", "This plugin does not support anything"));
}

TEST(QtApp, TheOffscreenPlatformIsNoDisplay) {
    testing::TestApp();
    QtHost host;
    // The tests run offscreen, as a server does.
    EXPECT_FALSE(host.HasDisplay());
}

TEST(SignalWatch, ASignalArrivesAsAnEventAtTheNextPump) {
    testing::TestApp();
    std::vector<int> received;
    {
        SignalWatch watch([&](int signal) { received.push_back(signal); });
        raise(SIGTERM);
        raise(SIGINT);
        // Nothing runs inside the handler: the program hears of it only
        // when it lets events through.
        EXPECT_TRUE(received.empty());
        QElapsedTimer timer;
        timer.start();
        while (received.size() < 2 && timer.elapsed() < 5000) QCoreApplication::processEvents();
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT}));
    // The watch gone, the signals have their default meaning again.
    struct sigaction now = {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// The end of the program pumps no more events: a signal still waiting is
// handed on when asked for.
TEST(SignalWatch, ASignalStillWaitingIsHandedOnWhenDrained) {
    testing::TestApp();
    std::vector<int> received;
    {
        SignalWatch watch([&](int signal) { received.push_back(signal); });
        raise(SIGTERM);
        watch.Drain();
    }
    EXPECT_EQ(received, std::vector<int>{SIGTERM});
}

// The end of the process comes past the program's last Drain: a signal
// that nobody took, or one that comes later still, ends the process by its
// default action (status 128 + n); one the program took is its own to end
// with. Each case runs in a child process of its own.
TEST(SignalWatch, AfterTheLastDrainNoSignalIsLost) {
    testing::TestApp();
    struct Case {
        const char* name;
        std::function<void(SignalWatch&)> end;
        int exitCode;  // -1: ended by the signal
        int signal;
    };
    const Case cases[] = {
        {"waiting at the close", [](SignalWatch& w) { raise(SIGINT); w.Close(); }, -1, SIGINT},
        {"after the close", [](SignalWatch& w) { w.Close(); raise(SIGTERM); }, -1, SIGTERM},
        {"taken before the close", [](SignalWatch& w) { raise(SIGTERM); w.Drain(); w.Close(); }, 3, 0},
    };
    for (const auto& c : cases) {
        const pid_t pid = fork();
        if (pid == 0) {
            int received = 0;
            SignalWatch watch([&](int signal) { received = signal; });
            c.end(watch);
            _exit(received == SIGTERM ? 3 : 0);
        }
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (c.exitCode < 0) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.name << ": status " << status;
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.exitCode) << c.name << ": status " << status;
        }
    }
}

}  // namespace
}  // namespace gui
