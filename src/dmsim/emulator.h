#pragma once
// The emulated DM client of one process, opened on a site folder: hands out
// the object factory the program creates its DM objects with, the fault
// injector, the machine registry values of the DM client, and what tests
// observe (the SQL object's library, recorded calls, Oracle statements).
//
//   dmsim::Emulator dm(dmsim::DefaultSiteDir());
//   auto factory = dm.Factory();
//   for (auto& v : dm.MachineRegistryValues()) registry.SetMachineValue(v.keyPath, v.valueName, v.value);
//
// Documents and folders for a test are made with DocumentMaker
// (document_maker.h) on the emulator.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dmclient/dm_factory.h"
#include "dmsim/call_log.h"
#include "dmsim/date_text.h"
#include "dmsim/fault_injector.h"
#include "dmsim/oracle_recorder.h"
#include "dmsim/site_spec.h"

namespace dmsim {

class LibraryDb;
class Session;

struct MachineRegistryValue {
    std::string keyPath;
    std::string valueName;
    std::string value;
};

// Where the DM client's version keys live in the machine registry.
inline constexpr const char* kClientRegistryKey = "HKEY_LOCAL_MACHINE\\Software\\DodiDida\\PowerDOCS";

class Emulator {
public:
    // Reads the site file of the folder; throws SiteError when it is
    // missing or malformed, or when the site was copied or moved and not
    // relocated (site_folder.h). Library databases open on first use.
    explicit Emulator(const std::filesystem::path& siteDir);
    ~Emulator();

    std::shared_ptr<dm::IDmObjectFactory> Factory();
    FaultInjector& Faults();
    // "CurrentVersion" and "PatchLevel" of the DM client.
    std::vector<MachineRegistryValue> MachineRegistryValues() const;
    // The host of the DM's own dialogs (library chooser); not owned.
    void SetDialogHost(dm::IDmDialogHost* host);
    // The clock behind GETUTCDATE() and every date the emulator writes.
    void SetClock(ClockFn clock);

    const SiteSpec& Site() const;
    const std::filesystem::path& SiteDir() const;
    // A library's database, for tests and the emulator's object code.
    LibraryDb& Library(const std::string& name);
    // Closes the open databases (and so their WAL files) when the process
    // ends without unwinding; no DM object may be used afterwards.
    void CloseDatabases();

    // Observers: the library the SQL object created last is bound to ("" when
    // unbound or none was created), the calls the program made, and the
    // statements an Oracle library received (with its script).
    std::string SqlBoundLibrary() const;
    const CallLog& Calls() const;
    // Calls are recorded for tests; the program turns recording off, since
    // a long run would otherwise keep every call it made.
    void RecordCalls(bool on);
    OracleRecorder& Oracle(const std::string& library);

    std::shared_ptr<Session> GetSession() const { return session_; }

private:
    std::shared_ptr<Session> session_;
};

}  // namespace dmsim
