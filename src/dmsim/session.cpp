#include "dmsim/session.h"

#include "dmsim/library_setup.h"
#include "dmsim/storage_journal.h"

namespace dmsim {

Session::Session(std::filesystem::path siteDir, SiteSpec site)
    : siteDir_(std::move(siteDir)), site_(std::move(site)) {}

Session::~Session() = default;

size_t Session::IndexOf(const LibrarySpec& library) const {
    return static_cast<size_t>(&library - site_.libraries.data());
}

LibraryDb& Session::Db(const std::string& library) {
    const LibrarySpec* spec = FindLibrary(library);
    if (!spec) throw SiteError("no library named '" + library + "' in the site");
    std::string key = ToUpper(spec->name);
    auto found = dbs_.find(key);
    if (found != dbs_.end()) return *found->second;
    auto db = std::make_unique<LibraryDb>(*spec, siteDir_, [this] { return Now(); });
    // The site file was checked when it was read.
    if (auto dates = SessionDateSettings(site_.language, site_.dateFormat)) db->SetDateReading(*dates);
    CreateLibraryDatabase(*db, site_);
    RecoverComponentFiles(*db);
    return *dbs_.emplace(key, std::move(db)).first->second;
}

OracleRecorder& Session::Recorder(const std::string& library) {
    return recorders_[ToUpper(library)];
}

}  // namespace dmsim
