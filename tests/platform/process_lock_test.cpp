#include "platform/process_lock.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "test_support/temp_dir.h"

namespace {

using platform::FileProcessLock;
using Outcome = platform::IProcessLock::Outcome;

TEST(FileProcessLock, OneHolderAtATimeNamedToTheOthers) {
    test_support::TempDir dir;
    const auto folder = dir.path() / "locks";  // made on first use
    FileProcessLock first(folder, "run-PC1");
    ASSERT_EQ(first.TryTake().outcome, Outcome::Taken);
    EXPECT_EQ(first.TryTake().outcome, Outcome::Taken);  // held already

    {
        FileProcessLock second(folder, "run-PC1");
        const auto attempt = second.TryTake();
        EXPECT_EQ(attempt.outcome, Outcome::HeldElsewhere);
        EXPECT_EQ(attempt.holder, static_cast<long>(::getpid()));
    }  // a lock not taken lets nothing go
    FileProcessLock other(folder, "run-PC2");
    EXPECT_EQ(other.TryTake().outcome, Outcome::Taken);

    // A name never reaches another folder.
    FileProcessLock odd(folder, "../run PC1/x");
    EXPECT_EQ(odd.File().parent_path(), folder);
    EXPECT_EQ(odd.TryTake().outcome, Outcome::Taken);

    {
        FileProcessLock released(folder, "run-PC3");
        ASSERT_EQ(released.TryTake().outcome, Outcome::Taken);
    }
    FileProcessLock next(folder, "run-PC3");
    EXPECT_EQ(next.TryTake().outcome, Outcome::Taken);
}

// The holder is killed: the lock is free, though its file stays.
TEST(FileProcessLock, DiesWithItsHolder) {
    test_support::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileProcessLock lock(dir.path(), "run-PC1");
        const char taken = lock.TryTake().outcome == Outcome::Taken ? 'y' : 'n';
        if (::write(ready[1], &taken, 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    // Whatever fails below, the child does not outlive the test.
    struct Reap {
        pid_t pid;
        ~Reap() {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    } reap{child};
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    ASSERT_EQ(taken, 'y');
    FileProcessLock lock(dir.path(), "run-PC1");
    const auto attempt = lock.TryTake();
    EXPECT_EQ(attempt.outcome, Outcome::HeldElsewhere);
    EXPECT_EQ(attempt.holder, static_cast<long>(child));

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(std::filesystem::exists(lock.File()));
    EXPECT_EQ(lock.TryTake().outcome, Outcome::Taken);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(FileProcessLock, AFolderThatCannotBeMadeIsAFailureSaidWithTheFile) {
    test_support::TempDir dir;
    std::ofstream(dir.path() / "file") << "not a folder";
    FileProcessLock lock(dir.path() / "file" / "locks", "run-PC1");
    const auto attempt = lock.TryTake();
    EXPECT_EQ(attempt.outcome, Outcome::Failed);
    EXPECT_NE(attempt.error.find(lock.File().string()), std::string::npos) << attempt.error;
}

}  // namespace
