#pragma once
// The archive run: the Go command. It takes the source library's queue
// target by target, locks a batch of rows under this computer's name, hands
// each document to the transfer and ends each queue row, in cycles with the
// loop delay and the pause window, until done or cancelled.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/process_lock.h"

namespace core {
class QueueRows;
}
namespace transfer {
class IDocumentTransfer;
}

namespace app {

class DorvaneForm;

class ArchiveRun {
public:
    explicit ArchiveRun(DorvaneForm& form) : form_(form) {}

    void SetTransfer(transfer::IDocumentTransfer* transfer) { transfer_ = transfer; }

    void Button_Go_Click();
    void Button_Exit_Click();
    bool CheckForPause();

    // The status an unattended run ends the program with: 0 every row it
    // took archived (rows it did not take stay queued) or nothing queued, 1
    // failed documents, folders a document could not be filed into or a
    // target it could not reach, 2 it could not start, 5 another run under
    // this computer name works the queue.
    int ExitStatus() const { return exitStatus_; }

    // Counters of the last target processed, and of the whole run.
    int32_t DocsSucceeded = 0;
    int32_t DocsFailed = 0;
    int32_t DocsRemaining = 0;
    int32_t RunSucceeded = 0;
    int32_t RunFailed = 0;
    // Folders the run's archived documents could not be filed into.
    int32_t RunFilingFailures = 0;
    bool FirstPassDoneFlag = false;
    int32_t LoopCountdown = 0;
    // Rows the results list keeps: the latest documents of a run, so that
    // a long run does not grow by a row for every document.
    int ResultRowsKept = 1000;

private:
    enum class Turn { Next, EndWalk, EndRun };

    Turn TargetTurn(int entry);
    // One document of the turn's queue; false to leave the document loop.
    bool ProcessDocument(core::QueueRows& queue, int32_t docNumber, const std::string& target, Turn& turn);
    void EndOfRun();
    void WarningBox(const std::string& text);
    bool Cancelled() const;
    // Keeps this computer's locks of the target young while it works on
    // them, so that nobody takes them for a dead computer's.
    void RefreshLocks(core::QueueRows& queue, const std::string& target);
    void Failed(int status) { exitStatus_ = std::max(exitStatus_, status); }
    // One run per computer name works the site's queue: every run frees the
    // rows left under its name, so a second one would free the first one's.
    // False when another run holds the guard or it cannot be had (said in
    // the log and a box, or the end of an unattended program).
    bool TakeRunGuard();

    DorvaneForm& form_;
    transfer::IDocumentTransfer* transfer_ = nullptr;

    std::string startLibraryName_;
    std::vector<bool> rightsChecked_;
    // Targets unchecked for this run because they could not be connected;
    // their check marks come back at the end so the stored choice stays.
    std::vector<int> uncheckedForRun_;
    // The targets that had a turn in this run.
    std::vector<std::string> runTargets_;
    // Per target, its rows of a STATUS no run takes, as its last turn counted
    // them.
    std::map<std::string, int32_t> unknownStatusRows_;
    struct Saved {
        std::string status;
        int pauseTime = 0;
        std::string batchSize;
        int loop = 0;
        int displayErrors = 0;
    } saved_;
    bool restoreOnEnd_ = false;
    int exitStatus_ = 0;
    // The log's count of Error and Warning lines when the run began.
    int64_t errorsAndWarningsBefore_ = 0;
    std::chrono::system_clock::time_point locksRefreshed_{};
    // Held from the start of a run to its end.
    std::unique_ptr<platform::IProcessLock> runGuard_;
};

}  // namespace app
