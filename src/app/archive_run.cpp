#include "app/archive_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "app/dorvane_form.h"
#include "app/switches.h"
#include "core/date_text.h"
#include "core/dm_calls.h"
#include "core/held_check.h"
#include "core/program.h"
#include "core/queue_rows.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "transfer/document_transfer.h"

namespace app {

namespace {

using core::Trim;
using core::Upper;

constexpr int kDarkRed = 192;
constexpr int kDarkBlue = 0xC00000;

std::string Num(double v) { return dm::FormatWhole(v); }

}  // namespace

bool ArchiveRun::Cancelled() const { return form_.p_.run.CancelRequestedFlag; }

void ArchiveRun::WarningBox(const std::string& text) {
    auto& p = form_.p_;
    if (!p.Options().Loop() && p.run.CommandLine.empty()) {
        p.platform.ui.MessageBox(text, platform::mb::Exclamation, core::AppTitle());
    }
}

void ArchiveRun::Button_Exit_Click() {
    auto& p = form_.p_;
    if (p.run.RunActiveFlag) {
        p.run.CancelRequestedFlag = true;
        p.ShowMessage(p.run.PausingFlag ? "Pause Canceled" : "Task Canceled", platform::mb::Information,
                      core::AppTitle());
        return;
    }
    form_.Form_Unload();
}

void ArchiveRun::Button_Go_Click() {
    auto& p = form_.p_;
    auto& w = p.MainWindow;
    auto& run = p.run;
    auto& ui = p.platform.ui;
    const bool unattended = HasSwitch(run.CommandLine, "/X");
    errorsAndWarningsBefore_ = p.log.ErrorsAndWarnings;
    exitStatus_ = 0;
    run.QueueFailures = 0;
    unknownStatusRows_.clear();

    // Start checks
    saved_.status = w.LabelStatus.Caption();
    startLibraryName_ = p.ConnectedLibraryName();
    saved_.pauseTime = w.CheckPauseTime.Value();
    run.LockOwnerName = Trim(p.GetMachineName());
    if (run.LockOwnerName.empty() && p.session.ConnectedLibrary) {
        core::GoOn(p, "Button_Go_Click", [&] { run.LockOwnerName = p.session.ConnectedLibrary->UserId(); });
    }
    auto cannotStart = [&](const std::string& text) {
        // Nobody will fix it (/X, or no display): end with a failure status.
        const bool nobodyWatches = p.Unattended();
        p.WriteLog(nobodyWatches ? "Error: " + text : text);
        p.Separator();
        WarningBox(text);
        if (nobodyWatches) p.EndProgram(4);
    };
    if (p.Options().SourceLibrary().empty()) {
        cannotStart("Source Library Not Specified - cannot continue");
        return;
    }
    const auto& items = w.LibBox.Items();
    if (p.Options().SourceCheckedAsTarget()) {
        p.WriteLogAndStandardError("Warning: The source library " + p.Options().SourceLibrary() +
                                   " is checked as a target - a library is no target of its own");
        p.Separator();
    }
    if (!p.Options().HasTarget()) {
        cannotStart("No target libraries selected - cannot continue");
        return;
    }
    if (!transfer_) {
        cannotStart("Document transfer is not available - cannot continue");
        return;
    }
    if (!TakeRunGuard()) return;

    ui.SetMousePointer(platform::MousePointer::Hourglass);
    p.MonitorHeartbeat();
    run.SourceLibraryName = p.Options().SourceLibrary();
    w.Button_Go.SetEnabled(false);
    form_.SetSessionMenusEnabled(false);
    // The boxes' own values, a greyed box included: the run's overrides are
    // put back as the user left them.
    saved_.batchSize = w.TextBatchSize.Text();
    saved_.loop = w.CheckLoop.Value();
    saved_.displayErrors = w.CheckDisplayErrors.Value();
    restoreOnEnd_ = true;
    // An end of the program in the middle of the run saves the user's values.
    p.putBackRunOverrides = [this, &w] {
        w.CheckPauseTime.SetValue(saved_.pauseTime);
        w.TextBatchSize.SetText(saved_.batchSize);
        w.CheckLoop.SetValue(saved_.loop);
        w.CheckDisplayErrors.SetValue(saved_.displayErrors);
    };
    if (unattended) {
        w.CheckLoop.SetValue(0);
        w.CheckDisplayErrors.SetValue(0);
    }
    DocsSucceeded = DocsFailed = DocsRemaining = 0;
    RunSucceeded = RunFailed = RunFilingFailures = 0;
    uncheckedForRun_.clear();
    runTargets_.clear();

    // The run does not start: the source or the choice of targets is unfit.
    auto refuse = [&](const std::string& text) {
        p.WriteLog(text);
        p.Separator();
        WarningBox(text);
        Failed(2);
        EndOfRun();
    };
    try {
        if (!run.OptionsUnread.empty()) {
            refuse("Error: The stored option(s) " + run.OptionsUnread +
                   " could not be read - the run does not start on guessed options");
            return;
        }
        if (!p.ConnectLibrary(run.SourceLibraryName)) {
            refuse("Error: unable to connect to library " + run.SourceLibraryName);
            return;
        }
        if (!core::Program::HasRight(p.session.ConnectedLibrary, "User.SaveToRemoteLibrary")) {
            refuse("Error: You are not allowed to Save to Remote Libraries - cannot continue");
            return;
        }
        if (!p.facts.QueueTableExists) {
            refuse("Error: Could not locate Needs_Archiving table in library " + p.ConnectedLibraryName());
            return;
        }
        // A Move removes the source and a Transfer marks it transferred once
        // its first target has it: every later target would skip it as done
        // and drop its row.
        if ((p.Options().Move() || p.Options().Transfer()) &&
            std::count_if(items.begin(), items.end(), [&](const forms::ListItem& i) {
                return i.checked && Upper(i.text) != Upper(run.SourceLibraryName);
            }) > 1) {
            refuse(std::string("Error: A ") + (p.Options().Move() ? "Move" : "Transfer") +
                   " can go to one target library only - check a single target library or choose Copy");
            return;
        }
        // Rows are parked under this name: a computer of that name would take
        // them, and free them for every computer when they fail.
        if (Upper(run.LockOwnerName) == core::queue_sql::kParkingOwner) {
            refuse("Error: The computer name " + run.LockOwnerName +
                   " is the name under which the queue parks the rows whose retries ran out - set COMPUTERNAME to "
                   "another name - cannot continue");
            return;
        }
        // Every lock writes the name into LOCKED_BY: one the column cannot
        // hold would fail every lock of the run.
        if (const int32_t width = core::QueueRows(p).LockOwnerWidth();
            core::Utf8Characters(run.LockOwnerName) > static_cast<size_t>(width)) {
            refuse("Error: The computer name " + run.LockOwnerName + " is longer than the " + std::to_string(width) +
                   " characters that the queue's LOCKED_BY column holds in library " + p.ConnectedLibraryName() +
                   " - set COMPUTERNAME to a shorter name - cannot continue");
            return;
        }

        w.LabelStatus.SetCaption("Proceeding");
        ui.SetMousePointer(platform::MousePointer::Hourglass);
        p.MonitorHeartbeat();
        rightsChecked_.assign(w.LibBox.Count(), false);
        p.MonitorHeartbeat();
        if (!FirstPassDoneFlag) core::QueueRows(p).RemoveOrphans();

        w.ListResults.Clear();
        w.LabelStatus.SetForeColor(kDarkRed);
        run.RunActiveFlag = true;
        run.CancelRequestedFlag = false;

        const std::string processLine = p.platform.system.ProcessCommandLine();
        if (p.Options().LockComputer() && (HasSwitch(processLine, "/G") || p.Options().Loop())) {
            p.platform.system.LockScreen();
        }

        // Cycles: one walk over the target list each
        while (true) {
            CheckForPause();
            w.CheckUseAlternateDateFormat.SetValue(1);
            w.LabelStatus.SetForeColor(kDarkRed);
            run.RunActiveFlag = true;
            run.CancelRequestedFlag = false;
            w.TabStrip.SetEnabled(false);

            bool endRun = false;
            for (int entry = 0; entry < w.LibBox.Count(); ++entry) {
                if (Cancelled()) {
                    endRun = true;
                    break;
                }
                Turn turn = TargetTurn(entry);
                if (turn == Turn::EndRun) {
                    endRun = true;
                    break;
                }
                if (turn == Turn::EndWalk) break;
            }
            if (endRun) break;
            p.MonitorHeartbeat();
            if (Cancelled() || HasSwitch(run.CommandLine, "/X") || !p.Options().Loop()) break;

            // Loop delay
            double delay = p.Options().LoopDelaySeconds();
            if (delay <= 0) {
                FirstPassDoneFlag = true;
                continue;
            }
            if (!FirstPassDoneFlag) {
                w.LabelCountText.SetVisible(true);
                w.LabelTotal.SetVisible(true);
                w.LabelTotal.SetCaption("");
                w.LabelStatus.SetForeColor(kDarkRed);
                run.RunActiveFlag = true;
                run.CancelRequestedFlag = false;
            }
            FirstPassDoneFlag = true;
            LoopCountdown = static_cast<int32_t>(std::lround(delay));
            bool cancelled = false;
            while (LoopCountdown > 0) {
                w.LabelStatus.SetCaption("Waiting " + std::to_string(LoopCountdown) + " seconds before starting");
                p.MonitorHeartbeat();
                if (Cancelled()) {
                    LoopCountdown = 0;
                    cancelled = true;
                    break;
                }
                p.platform.clock.Sleep(std::chrono::milliseconds(1000));
                --LoopCountdown;
            }
            LoopCountdown = 0;
            if (cancelled) break;
        }
    } catch (const dm::DmError& e) {
        p.WriteLog("Button_Go_Click:");
        p.ReportError(e);
        Failed(1);
    }
    EndOfRun();
}

bool ArchiveRun::TakeRunGuard() {
    auto& p = form_.p_;
    const std::string owner = p.run.LockOwnerName;
    auto guard = p.platform.system.ProcessLock("run-" + Upper(owner));
    const auto attempt = guard->TryTake();
    if (attempt.outcome == platform::IProcessLock::Outcome::Taken) {
        runGuard_ = std::move(guard);
        return true;
    }
    const bool elsewhere = attempt.outcome == platform::IProcessLock::Outcome::HeldElsewhere;
    const std::string text =
        elsewhere ? "Another run under computer name " + owner + " works the queue of this site (process " +
                        (attempt.holder > 0 ? std::to_string(attempt.holder) : std::string("unknown")) +
                        ") - cannot continue"
                  : "Unable to take the lock of the runs under computer name " + owner + " (" + attempt.error +
                        ") - cannot continue";
    p.WriteLog("Error: " + text);
    p.Separator();
    // Nobody will answer (/X, or no display): end with the status that says why.
    if (p.Unattended()) {
        p.EndProgram(elsewhere ? 5 : 2);
        return false;
    }
    p.ShowMessage(text, platform::mb::Exclamation, core::AppTitle());
    return false;
}

ArchiveRun::Turn ArchiveRun::TargetTurn(int entry) {
    auto& p = form_.p_;
    auto& w = p.MainWindow;
    auto& run = p.run;
    core::QueueRows queue(p);
    // A queue statement that failed (reported already) ends the turn.
    const int32_t failuresBefore = run.QueueFailures;
    const auto queueFailed = [&] { return run.QueueFailures != failuresBefore; };
    const auto endWithEntryNormal = [&](Turn turn) {
        w.LibBox.SetBold(entry, false);
        p.MonitorHeartbeat();
        return Cancelled() ? Turn::EndRun : turn;
    };

    // The source itself, or an unchecked entry, gets no turn
    if (Upper(w.LibBox.Item(entry).text) == Upper(p.ConnectedLibraryName())) {
        w.LibBox.SetChecked(entry, false);
        return endWithEntryNormal(Turn::Next);
    }
    if (!w.LibBox.Item(entry).checked) return endWithEntryNormal(Turn::Next);

    // Work for the target: free what this computer left locked, release
    // dead computers' locks, count the rows it may take
    const std::string target = w.LibBox.Item(entry).text;
    if (std::find(runTargets_.begin(), runTargets_.end(), target) == runTargets_.end()) runTargets_.push_back(target);
    p.ConnectLibrary(p.Options().SourceLibrary());
    const std::string lookingFor = "Looking for documents to process for library " + target;
    w.LabelStatus.SetCaption(lookingFor);
    // The counting is not logged statement by statement; the box is put back
    // as it was.
    std::optional<core::HeldCheck> quiet;
    quiet.emplace(p, w.CheckLogMethod, 0);
    const int32_t queued = queue.CountAll();
    if (queueFailed()) {
        quiet.reset();
        return endWithEntryNormal(Turn::Next);
    }
    if (queued == 0) {
        unknownStatusRows_.clear();
        const std::string text = "No rows found to process in library " + p.ConnectedLibraryName();
        p.WriteLog(text);
        p.Separator();
        WarningBox(text);
        return Turn::EndWalk;
    }
    quiet.reset();
    w.LabelStatus.SetCaption(lookingFor);
    quiet.emplace(p, w.CheckLogMethod, 0);
    queue.ReadSpellings(target);
    queue.UnlockOwnRows(p.ConnectedLibraryName(), run.LockOwnerName, target);
    const std::string lockedElsewhere =
        queue.ReleaseStaleLocks(run.LockOwnerName, target, std::max<int32_t>(1, run.StaleLockMinutes));
    const int32_t pending = queue.CountQualifying(run.LockOwnerName, target);
    const core::QueueRows::UnknownStatus unknown = queue.CountUnknownStatus(target);
    quiet.reset();
    if (!lockedElsewhere.empty()) {
        p.WriteLog(lockedElsewhere);
        p.Separator();
    }
    // Rows no run takes would otherwise stay unseen for ever; said again
    // when their number changes.
    if (int32_t& known = unknownStatusRows_[target]; !queueFailed() && unknown.read && unknown.rows != known) {
        known = unknown.rows;
        if (unknown.rows > 0) {
            p.WriteLogAndStandardError("Warning: " + std::to_string(unknown.rows) + " queue row(s) for library " +
                                       target + " have a STATUS that no run takes (" + unknown.byStatus +
                                       ") - a run archives the rows of STATUS 0 or NULL only");
            p.Separator();
        }
    }
    if (queueFailed() || pending == 0) return endWithEntryNormal(Turn::Next);

    // The user's rights in the target, once per run
    w.LibBox.SetBold(entry, true);
    p.MonitorHeartbeat();
    p.MonitorHeartbeat();
    if (Cancelled()) return Turn::EndRun;
    if (p.Options().Move() || p.Options().Transfer()) w.CheckMakeReadOnlySource.SetValue(0);
    if (!rightsChecked_[entry]) {
        p.ShowStatus("Checking your rights and settings in Library " + target);
        p.Separator();
        if (!p.ConnectLibrary(target)) {
            p.WriteLog("Error: unable to connect to library " + target);
            Failed(1);
            w.LibBox.SetChecked(entry, false);
            uncheckedForRun_.push_back(entry);
            return endWithEntryNormal(Turn::Next);
        }
        auto lib = p.session.ConnectedLibrary;
        auto props = lib->Properties();
        int32_t count = props ? props->Count() : 0;
        if (count == 0) {
            p.WriteLog("Error: Unable to determine the library parameters in library " + p.ConnectedLibraryName() +
                       " - Properties.Count is " + std::to_string(count));
            Failed(1);
            return endWithEntryNormal(Turn::Next);
        }
        static const char* const rights[] = {"User.CreateDocument",      "User.CreateFolder", "User.CreateRelation",
                                             "User.SaveToRemoteLibrary", "User.DocDelete",    "User.CreateNewVersions",
                                             "User.ViewUnsecured"};
        std::vector<dm::Variant> values;
        bool missing = false;
        for (const char* right : rights) {
            dm::Variant v;
            core::GoOn(p, "Button_Go_Click", [&] {
                auto item = props->Item(right);
                if (item) v = item->Value();
            });
            // Only a real True counts as held.
            if (!v.IsBooleanTrue()) missing = true;
            values.push_back(v);
        }
        if (missing) {
            p.WriteLog("Error: one of the necessary system parameters are not set to allow you to proceed in library " +
                       p.ConnectedLibraryName() + ":");
            for (size_t i = 0; i < values.size(); ++i) p.WriteLog(std::string(rights[i]) + ":" + values[i].FormatWhole());
            p.Separator();
            Failed(1);
            return endWithEntryNormal(Turn::Next);
        }
        rightsChecked_[entry] = true;
    }
    p.MonitorHeartbeat();
    if (Cancelled()) return Turn::EndRun;

    // Lock a batch of the target's rows in the source
    p.ShowStatus("Preparing source library " + startLibraryName_);
    p.Separator();
    if (!p.ConnectLibrary(run.SourceLibraryName)) {
        const std::string text = "Error: unable to connect to library " + run.SourceLibraryName;
        p.WriteLog(text);
        p.Separator();
        WarningBox(text);
        Failed(1);
        return Turn::EndRun;
    }
    w.LabelStatus.SetCaption("Resetting NEEDS_ARCHIVING rows");
    queue.ResetOwnRows(run.LockOwnerName, target);
    if (queueFailed()) return endWithEntryNormal(Turn::Next);
    w.LabelStatus.SetCaption("Reading NEEDS_ARCHIVING rows in " + p.ConnectedLibraryName());
    const double batch = p.Options().BatchSize();
    if (batch != 0 && !FirstPassDoneFlag) {
        p.WriteLog("Batch size will be set to " + Num(batch));
        p.Separator();
    }
    const int32_t locked =
        queue.LockBatch(run.LockOwnerName, target, p.Options().BatchSizeText(), p.Options().DescendingOrder());
    locksRefreshed_ = p.platform.clock.Now();
    // A lock that failed took no row.
    if (queueFailed()) return endWithEntryNormal(Turn::Next);

    Turn result = Turn::Next;
    if (locked == 0) {
        p.WriteLog("No matching items found in NEEDS_ARCHIVING table in source library " + p.ConnectedLibraryName());
        p.Separator();
    } else {
        // Read the batch back and hand over each document
        const std::vector<int32_t> sids =
            queue.ReadBack(run.LockOwnerName, target, p.Options().DescendingOrder());
        if (Cancelled()) return Turn::EndRun;
        // The rows it locked but could not read back are freed at once.
        if (queueFailed()) {
            queue.UnlockOwnRows(p.ConnectedLibraryName(), run.LockOwnerName, target);
            return endWithEntryNormal(result);
        }
        const auto announced = static_cast<int32_t>(sids.size());
        for (auto* label : {&w.LabelCountText, &w.LabelTotal, &w.LabelErrorText, &w.LabelErrors}) {
            label->SetVisible(true);
        }
        w.LabelTotal.SetCaption(std::to_string(announced));
        w.LabelErrors.SetCaption("");
        p.ShowStatus("Processing " + std::to_string(announced) + " document(s) from " + p.ConnectedLibraryName() +
                     " to " + target);
        p.Separator();
        DocsRemaining = announced;
        DocsSucceeded = 0;
        DocsFailed = 0;
        for (int32_t sid : sids) {
            if (!ProcessDocument(queue, sid, target, result)) break;
        }
        if (result == Turn::EndRun) return Turn::EndRun;
        p.ShowStatus("Finished processing items to library " + target);
        p.Separator();
    }
    // Free what is still locked (rows a cancel left unprocessed)
    queue.UnlockOwnRows(p.ConnectedLibraryName(), run.LockOwnerName, target);
    return endWithEntryNormal(result);
}

void ArchiveRun::RefreshLocks(core::QueueRows& queue, const std::string& target) {
    auto& p = form_.p_;
    const auto now = p.platform.clock.Now();
    // A quarter of the stale age leaves room for a long document.
    const auto every = std::chrono::minutes(std::max<int32_t>(1, p.run.StaleLockMinutes) ) / 4;
    if (now - locksRefreshed_ < every) return;
    locksRefreshed_ = now;
    queue.RefreshOwnLocks(p.run.LockOwnerName, target);
}

bool ArchiveRun::ProcessDocument(core::QueueRows& queue, int32_t docNumber, const std::string& target, Turn& turn) {
    auto& p = form_.p_;
    auto& w = p.MainWindow;
    auto& run = p.run;
    CheckForPause();
    if (run.SourceLibraryName.empty()) {
        const std::string text = "Error: Source Library is not identified! Can no longer continue processing documents.";
        p.WriteLog(text);
        p.Separator();
        if (p.Options().DisplayErrors()) p.ShowMessage(text, platform::mb::Critical, core::AppTitle());
        Failed(1);
        return false;
    }
    if (!p.ConnectLibrary(run.SourceLibraryName)) {
        Failed(1);
        return false;
    }
    RefreshLocks(queue, target);
    p.MonitorHeartbeat();
    if (Cancelled()) {
        turn = Turn::EndRun;
        return false;
    }
    // The batch was read at its start; a row this computer no longer holds
    // is someone else's to work on now. One it cannot confirm (the failure
    // is reported) is left alone too.
    const int32_t failuresBefore = run.QueueFailures;
    if (!queue.HoldsRow(target, docNumber, run.LockOwnerName)) {
        if (run.QueueFailures == failuresBefore) {
            p.WriteLog("Warning: The queue row of document #" + std::to_string(docNumber) + " for library " + target +
                       " is no longer locked by computer " + run.LockOwnerName + " - the document is left alone");
            p.Separator();
        }
        w.LabelTotal.SetCaption(std::to_string(--DocsRemaining));
        return !Cancelled();
    }
    auto now = platform::ToLocal(p.platform.clock.Now());
    char date[16], stamp[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", now.year, now.month, now.day);
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d-%02d:%02d:%02d", now.year, now.month, now.day, now.hour,
                  now.minute, now.second);
    p.Separator();
    p.ShowStatus("Processing Document #" + std::to_string(docNumber) + " starting on " + date + " at " +
                 core::TimeAmPm(now));
    p.Separator();
    run.DmSaveFlags = p.Options().DisplayErrors() ? 2 : 3;

    auto& list = w.ListResults;
    if (!p.Options().VerboseLogging() && list.Count() > 0) list.Clear();
    // The oldest rows go a tenth at a time, so the window shows the list
    // anew seldom.
    if (list.Count() >= ResultRowsKept) list.RemoveFirst(list.Count() - ResultRowsKept + ResultRowsKept / 10 + 1);
    int item = list.AddItem(std::to_string(docNumber));
    list.SetSubItem(item, 1, target);
    list.SetSubItem(item, 2, stamp);
    list.SetSubItem(item, 3, "Working...");

    const std::string source = p.ConnectedLibraryName();
    int32_t r = transfer_->TransferDocument(source, target, docNumber);
    auto setState = [&](const char* state) {
        for (int i = 0; i < list.Count(); ++i) {
            if (list.Item(i).text == std::to_string(docNumber) && list.CellText(i, 1) == target) {
                std::string current = list.CellText(i, 3);
                if (current == "Working..." || current.empty()) list.SetSubItem(i, 3, state);
            }
        }
    };
    // Only the row this run holds is ended: a row that a profile edit queued
    // again meanwhile stays pending, so the edit reaches the archive.
    if (r == 0) {
        ++DocsFailed;
        ++RunFailed;
        // Documents that fail for one reason write the same line, which the
        // log writes once: this one tells them apart. A cancel is no error.
        const std::string document = "Document #" + std::to_string(docNumber) + " of library " + source;
        p.WriteLog(Cancelled() ? document + " was not archived into library " + target + " - the run was cancelled"
                               : "Error: " + document + " could not be archived into library " + target);
        queue.EndFailed(source, target, docNumber, run.LockOwnerName);
        setState("Error");
    } else {
        ++DocsSucceeded;
        ++RunSucceeded;
        queue.EndDone(source, target, docNumber, run.LockOwnerName);
        setState("Finished");
        // The document stands archived; the folders it is missing from
        // make the run a failure all the same.
        if (const int32_t notFiled = transfer_->FilingFailures(); notFiled > 0) {
            RunFilingFailures += notFiled;
            Failed(1);
        }
    }
    if (r > 0) {
        int row = p.LibraryArray.FindRow(target);
        if (row > 0 && dm::LeadingNumber(p.LibraryArray.Cell(row, core::LibraryCache::kQueueTable)) != 0) {
            core::QueueRows(p).DeleteEchoRows(target, source, r);
        }
    }
    --DocsRemaining;
    char remaining[16];
    std::snprintf(remaining, sizeof remaining, "%d", DocsRemaining);
    w.LabelTotal.SetCaption(remaining);
    w.LabelErrors.SetCaption(std::to_string(DocsFailed));
    p.MonitorHeartbeat();
    return !Cancelled();
}

void ArchiveRun::EndOfRun() {
    auto& p = form_.p_;
    auto& w = p.MainWindow;
    auto& run = p.run;
    auto& ui = p.platform.ui;
    FirstPassDoneFlag = true;
    if (RunFailed > 0) Failed(1);
    // Only a run that looked at the queue has a summary to write.
    const bool worked = run.RunActiveFlag;
    // A cancel can come between the batch lock and the end of a target's
    // turn: nothing of this computer stays locked for others to wait on.
    if (run.RunActiveFlag && Cancelled() && !run.LockOwnerName.empty()) {
        core::QueueRows(p).UnlockAllOwnRows(run.SourceLibraryName, run.LockOwnerName);
    }
    // What the run leaves in the queue for its targets: rows beyond its
    // batch, rows other computers hold, failed rows, rows queued meanwhile.
    int32_t rowsLeft = 0;
    bool rowsCounted = runTargets_.empty();
    if (!runTargets_.empty()) {
        core::HeldCheck quiet(p, w.CheckLogMethod, 0);
        core::PassOver([&] {
            if (!p.ConnectLibrary(run.SourceLibraryName)) return;
            const int32_t failuresBefore = run.QueueFailures;
            for (const auto& target : runTargets_) rowsLeft += core::QueueRows(p).CountOfTarget(target);
            rowsCounted = run.QueueFailures == failuresBefore;
        });
    }
    int32_t unknownStatus = 0;
    for (const auto& [target, rows] : unknownStatusRows_) unknownStatus += rows;
    // A queue statement that failed may leave a row as it should not stay.
    if (run.QueueFailures > 0) Failed(1);
    // Done with the queue: the next run under this name may start.
    runGuard_.reset();
    core::PassOver([&] {
        if (!p.ConnectLibrary(startLibraryName_)) {
            const std::string text = "Error: Unable to connect to library " + startLibraryName_;
            p.WriteLog(text);
            p.Separator();
            WarningBox(text);
        }
    });
    std::string summary = "Transfer complete from library " + p.ConnectedLibraryName() + " with " +
                          std::to_string(RunSucceeded) + " document(s) processed successfully and " +
                          std::to_string(RunFailed) + " error(s) encountered.";
    if (RunFilingFailures > 0) {
        summary += ' ';
        summary += std::to_string(RunFilingFailures) + " folder(s) could not be made or filed into.";
    }
    if (run.QueueFailures > 0) {
        summary += ' ';
        summary += std::to_string(run.QueueFailures) + " queue statement(s) failed.";
    }
    w.LabelStatus.SetCaption(summary);
    // A run that processed nothing and met no failure and no warning writes
    // no summary: a scheduler's idle runs leave the log quiet.
    const bool quiet = RunSucceeded == 0 && RunFailed == 0 && exitStatus_ == 0 && run.QueueFailures == 0 &&
                       unknownStatus == 0 && p.log.ErrorsAndWarnings == errorsAndWarningsBefore_;
    if (worked && !quiet) {
        p.WriteLog(summary);
        p.Separator();
    }
    if ((RunSucceeded != 0 || RunFailed != 0) && !p.Unattended()) {
        p.ShowMessage(summary, platform::mb::Information, core::AppTitle());
    }
    if (worked && !quiet && rowsCounted) {
        p.WriteLog(std::to_string(rowsLeft) + " queued row(s) for the run's target libraries remain in library " +
                   run.SourceLibraryName +
                   (unknownStatus > 0 ? ", " + std::to_string(unknownStatus) + " of them with a STATUS that no run takes"
                                      : "") +
                   ".");
        p.Separator();
    }
    for (auto* label : {&w.LabelCountText, &w.LabelTotal, &w.LabelErrorText, &w.LabelErrors}) label->SetVisible(false);
    w.SetFocus();
    p.MonitorHeartbeat();
    w.LabelStatus.SetForeColor(kDarkBlue);
    run.CancelRequestedFlag = false;
    run.RunActiveFlag = false;
    w.TabStrip.SetEnabled(true);
    w.Button_Go.SetEnabled(true);
    form_.SetSessionMenusEnabled(true);
    for (int entry : uncheckedForRun_) {
        if (entry < w.LibBox.Count()) w.LibBox.SetChecked(entry, true);
    }
    uncheckedForRun_.clear();
    if (restoreOnEnd_ && p.putBackRunOverrides) p.putBackRunOverrides();
    p.putBackRunOverrides = nullptr;
    restoreOnEnd_ = false;
    w.LabelStatus.SetCaption(saved_.status);
    ui.SetMousePointer(platform::MousePointer::Default);
    w.Button_Go.SetFocus();
    // Ended from outside (a signal): the run in hand is over, so is the program.
    if (run.EndStatus != 0) {
        p.EndProgram(run.EndStatus);
        return;
    }
    // Without a display nobody can start another run: the program ends too.
    if (p.Unattended()) p.EndProgram(exitStatus_);
}

bool ArchiveRun::CheckForPause() {
    auto& p = form_.p_;
    auto& w = p.MainWindow;
    auto& run = p.run;
    if (!p.Options().PauseWindow()) return false;
    auto end = core::ReadTimeOfDay(p.Options().PauseEndText());
    if (end) w.TextPauseEnd.SetText(*end);
    auto start = core::ReadTimeOfDay(p.Options().PauseStartText());
    if (start) w.TextPauseStart.SetText(*start);
    if (!start || !end || *start == *end) {
        p.WriteLog("Warning: You have enabled the pause timer, but the start and/or end times are not entered "
                   "properly. The pause timer will be disabled");
        p.Separator();
        w.CheckPauseTime.SetValue(0);
        return false;
    }
    const std::string savedCaption = w.Button_Exit.Caption();
    const std::string savedTip = w.Button_Exit.ToolTip();
    static const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    const auto today = platform::ToLocal(p.platform.clock.Now());
    bool result = false;
    bool pauseDay = true;
    for (const auto& node : w.TVPause.Nodes()) {
        if (Upper(node.text) == Upper(days[today.weekday % 7]) && !node.checked) {
            pauseDay = false;
            break;
        }
    }
    if (pauseDay) {
        const std::string s = *start, e = *end;
        while (true) {
            auto now = platform::ToLocal(p.platform.clock.Now());
            char hm[8];
            std::snprintf(hm, sizeof hm, "%02d:%02d", now.hour, now.minute);
            const std::string t = hm;
            const bool outside = s < e ? (t < s || t >= e) : (t < s && t >= e);
            if (outside) {
                run.PausingFlag = false;
                break;
            }
            p.platform.ui.SetMousePointer(platform::MousePointer::Default);
            platform::LocalTime endTime{};
            endTime.hour = std::stoi(e.substr(0, 2));
            endTime.minute = std::stoi(e.substr(3, 2));
            std::string endText = core::TimeAmPm(endTime);
            endText = endText.substr(0, 5) + endText.substr(8);  // "HH:MM ampm"
            w.LabelStatus.SetCaption("Paused until " + endText + " - Press Cancel or Esc to exit pausing");
            w.Button_Exit.SetCaption("Cancel");
            w.Button_Exit.SetToolTip("Exit pausing");
            run.PausingFlag = true;
            result = true;
            p.platform.clock.Sleep(std::chrono::milliseconds(1000));
            p.platform.ui.PumpEvents();
            if (Cancelled()) {
                auto at = platform::ToLocal(p.platform.clock.Now());
                std::string atText = core::TimeAmPm(at);
                p.WriteLog("Pausing canceled at " + atText.substr(0, 5) + atText.substr(8));
                p.Separator();
                w.CheckPauseTime.SetValue(0);
                run.PausingFlag = false;
                break;
            }
            if (!p.Options().PauseWindow()) {
                run.PausingFlag = false;
                break;
            }
        }
    }
    w.Button_Exit.SetCaption(savedCaption);
    w.Button_Exit.SetToolTip(savedTip);
    return result;
}

}  // namespace app
