#include "dmsim/emulator.h"

#include "dmsim/object_factory.h"
#include "dmsim/session.h"
#include "dmsim/site_file.h"
#include "dmsim/sql_object.h"

namespace dmsim {

Emulator::Emulator(const std::filesystem::path& siteDir)
    : session_(std::make_shared<Session>(siteDir, ReadSiteFile(siteDir / kSiteFileName))) {}

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

OracleRecorder& Emulator::Oracle(const std::string& library) { return session_->Recorder(library); }

}  // namespace dmsim
