#pragma once
// The state one emulated DM client shares between all its objects: the
// site, the open library databases, faults, recorded calls, the login and
// the dialog host. Every object the factory hands out keeps it alive.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "dmclient/dm_factory.h"
#include "dmsim/call_log.h"
#include "dmsim/date_text.h"
#include "dmsim/fault_injector.h"
#include "dmsim/library_db.h"
#include "dmsim/oracle_recorder.h"
#include "dmsim/site_spec.h"

namespace dmsim {

class SqlObject;

class Session {
public:
    Session(std::filesystem::path siteDir, SiteSpec site);
    ~Session();

    const SiteSpec& Site() const { return site_; }
    const std::filesystem::path& SiteDir() const { return siteDir_; }
    FaultInjector& Faults() { return faults_; }
    CallLog& Calls() { return calls_; }

    // The library of that name (case-insensitive); nothing when unknown.
    const LibrarySpec* FindLibrary(const std::string& name) const { return site_.Find(name); }
    // Position of a library in the site's order (from 0).
    size_t IndexOf(const LibrarySpec& library) const;

    // The library's database, opened on first use and set up when new.
    // Throws SiteError for an unknown name, SqliteError when it cannot open.
    LibraryDb& Db(const std::string& library);
    // Closes every open database, for the end of the process: objects still
    // holding one must not be used afterwards.
    void CloseDatabases() { dbs_.clear(); }

    void SetClock(ClockFn clock) { clock_ = std::move(clock); }
    TimePoint Now() const { return clock_ ? clock_() : std::chrono::system_clock::now(); }

    OracleRecorder& Recorder(const std::string& library);

    // Login state and the window that owns the DM's dialogs.
    bool loggedOn = false;
    intptr_t parentWindow = 0;
    dm::IDmDialogHost* dialogHost = nullptr;
    // The library the program connected last ("" before any Connect); the
    // search dialog searches it.
    std::string connectedLibrary;

    // The most recently created SQL object, for observers.
    std::weak_ptr<SqlObject> lastSql;

private:
    std::filesystem::path siteDir_;
    SiteSpec site_;
    FaultInjector faults_;
    CallLog calls_;
    ClockFn clock_;
    std::map<std::string, std::unique_ptr<LibraryDb>> dbs_;  // upper-cased name
    std::map<std::string, OracleRecorder> recorders_;
};

}  // namespace dmsim
