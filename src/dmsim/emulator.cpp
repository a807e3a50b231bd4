#include "dmsim/emulator.h"

#include <cstdlib>
#include <fstream>

#include "dmsim/object_factory.h"
#include "dmsim/session.h"
#include "dmsim/site_file.h"
#include "dmsim/site_folder.h"
#include "dmsim/sql_object.h"

namespace dmsim {

namespace {

SiteSpec OpenSite(const std::filesystem::path& siteDir) {
    SiteSpec site = ReadSiteFile(siteDir / kSiteFileName);
    // A copied or moved site names the files of the one it came from.
    CheckSiteFolder(siteDir, site);
    return site;
}

}  // namespace

Emulator::Emulator(const std::filesystem::path& siteDir)
    : session_(std::make_shared<Session>(siteDir, OpenSite(siteDir))) {
    // A kill at a chosen DM call, for the crash-recovery trials.
    if (const char* at = std::getenv("DMSIM_CRASH_AT"); at && *at) session_->Faults().CrashAt(std::atoll(at));
    // ... or at a named one (FaultInjector::CrashOn).
    if (const char* on = std::getenv("DMSIM_CRASH_ON"); on && *on) session_->Faults().CrashOn(on);
    // A statement refused (DMSIM_REFUSE=k, or k|text: the k-th statement that
    // contains the text) or a DM call that raises an error (DMSIM_RAISE_AT=k),
    // for the trials of refusals.
    if (const char* refuse = std::getenv("DMSIM_REFUSE"); refuse && *refuse) {
        const std::string spec = refuse;
        const size_t bar = spec.find('|');
        SqlObject::RefuseStatement(std::atoll(spec.c_str()), bar == std::string::npos ? "" : spec.substr(bar + 1));
    }
    if (const char* at = std::getenv("DMSIM_RAISE_AT"); at && *at) FaultInjector::RaiseAt(std::atoll(at));
    // Which statement is the k-th: every statement, numbered, in a file.
    if (const char* file = std::getenv("DMSIM_SQL_LOG"); file && *file) SqlObject::LogStatementsTo(file);
    // ... and how many calls a whole run makes, so that trials can spread
    // their crash points over it.
    if (const char* file = std::getenv("DMSIM_CALLS_FILE"); file && *file) {
        static std::string callsFile;
        if (callsFile.empty()) {
            callsFile = file;
            std::atexit([] { std::ofstream(callsFile) << FaultInjector::CallsSoFar() << "\n"; });
        }
    }
    // How many SQL statements a run executes, for the benchmark.
    if (const char* file = std::getenv("DMSIM_SQL_COUNT_FILE"); file && *file) {
        static std::string countFile;
        if (countFile.empty()) {
            countFile = file;
            std::atexit([] { std::ofstream(countFile) << SqlObject::StatementsSoFar() << "\n"; });
        }
    }
}

Emulator::~Emulator() = default;

std::shared_ptr<dm::IDmObjectFactory> Emulator::Factory() {
    return std::make_shared<ObjectFactory>(session_);
}

FaultInjector& Emulator::Faults() { return session_->Faults(); }

std::vector<MachineRegistryValue> Emulator::MachineRegistryValues() const {
    const SiteSpec& site = session_->Site();
    return {{kClientRegistryKey, "CurrentVersion", site.clientVersion},
            {kClientRegistryKey, "PatchLevel", site.patchLevel}};
}

void Emulator::SetDialogHost(dm::IDmDialogHost* host) { session_->dialogHost = host; }

void Emulator::SetClock(ClockFn clock) { session_->SetClock(std::move(clock)); }

const SiteSpec& Emulator::Site() const { return session_->Site(); }

const std::filesystem::path& Emulator::SiteDir() const { return session_->SiteDir(); }

LibraryDb& Emulator::Library(const std::string& name) { return session_->Db(name); }

void Emulator::CloseDatabases() { session_->CloseDatabases(); }

std::string Emulator::SqlBoundLibrary() const {
    auto sql = session_->lastSql.lock();
    return sql ? sql->BoundLibrary() : std::string();
}

const CallLog& Emulator::Calls() const { return session_->Calls(); }

void Emulator::RecordCalls(bool on) { session_->Calls().Record(on); }

OracleRecorder& Emulator::Oracle(const std::string& library) { return session_->Recorder(library); }

}  // namespace dmsim
