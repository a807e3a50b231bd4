#include "dmsim/site_builder.h"

#include "dmsim/library_db.h"
#include "dmsim/library_setup.h"
#include "dmsim/site_file.h"
#include "dmsim/site_folder.h"

namespace dmsim {

SiteBuilder::SiteBuilder(std::filesystem::path dir) : dir_(std::move(dir)) {}

SiteBuilder::~SiteBuilder() = default;

LibrarySpec& SiteBuilder::LibraryBuilder::Spec() { return site_.spec_.libraries[index_]; }

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::File(std::string file) {
    Spec().file = std::move(file);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::Owner(std::string owner) {
    Spec().owner = std::move(owner);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::Engine(int32_t engine) {
    Spec().engine = engine;
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::DatabaseEngine(int32_t engine) {
    Spec().databaseEngine = engine;
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::ServerVersion(std::string version) {
    Spec().serverVersion = std::move(version);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::DocServer(std::string folder) {
    Spec().docServer = std::move(folder);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::User(std::string userId, std::string userName) {
    Spec().userId = std::move(userId);
    Spec().userName = std::move(userName);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::PrimaryGroup(std::string groupId) {
    Spec().primaryGroup = std::move(groupId);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::CaseSensitive(bool on) {
    Spec().caseSensitive = on;
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::WithoutColumn(OptionalColumn column) {
    auto& columns = Spec().columns;
    std::erase(columns, column);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::SettingsTable(bool on) {
    Spec().settingsTable = on;
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::LastDocNumber(int32_t number) {
    Spec().lastDocNumber = number;
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::Forms(std::vector<std::string> forms) {
    Spec().forms = std::move(forms);
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::Right(const std::string& name, dm::Variant value) {
    for (auto& [n, v] : Spec().properties) {
        if (EqualsNoCase(n, name)) {
            v = std::move(value);
            return *this;
        }
    }
    Spec().properties.emplace_back(name, std::move(value));
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::Parameter(const std::string& name,
                                                                    dm::Variant value) {
    return Right(name, std::move(value));
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::RemoveProperty(const std::string& name) {
    std::erase_if(Spec().properties, [&](const LibraryProperty& p) { return EqualsNoCase(p.first, name); });
    return *this;
}

SiteBuilder::LibraryBuilder& SiteBuilder::LibraryBuilder::NoProperties() {
    Spec().properties.clear();
    return *this;
}

SiteBuilder::LibraryBuilder SiteBuilder::Library(const std::string& name) {
    for (size_t i = 0; i < spec_.libraries.size(); ++i) {
        if (EqualsNoCase(spec_.libraries[i].name, name)) return LibraryBuilder(*this, i);
    }
    LibrarySpec lib;
    lib.name = name;
    lib.file = name + ".db";
    lib.docServer = "docserver/" + name;
    lib.properties = DefaultLibraryProperties();
    spec_.libraries.push_back(std::move(lib));
    if (!primarySet_) spec_.primaryLibrary = spec_.libraries.front().name;
    if (!currentSet_) spec_.currentLibrary = spec_.primaryLibrary;
    return LibraryBuilder(*this, spec_.libraries.size() - 1);
}

SiteBuilder& SiteBuilder::Primary(std::string name) {
    spec_.primaryLibrary = std::move(name);
    primarySet_ = true;
    if (!currentSet_) spec_.currentLibrary = spec_.primaryLibrary;
    return *this;
}

SiteBuilder& SiteBuilder::Current(std::string name) {
    spec_.currentLibrary = std::move(name);
    currentSet_ = true;
    return *this;
}

SiteBuilder& SiteBuilder::SecurityToken(std::string token) {
    spec_.securityToken = std::move(token);
    return *this;
}

SiteBuilder& SiteBuilder::ClientName(std::string name) {
    spec_.clientName = std::move(name);
    return *this;
}

SiteBuilder& SiteBuilder::ClientVersion(std::string version, std::string patchLevel) {
    spec_.clientVersion = std::move(version);
    spec_.patchLevel = std::move(patchLevel);
    return *this;
}

SiteBuilder& SiteBuilder::Language(std::string language, std::string dateFormat) {
    spec_.language = std::move(language);
    spec_.dateFormat = std::move(dateFormat);
    return *this;
}

void SiteBuilder::Create() {
    std::filesystem::create_directories(dir_);
    spec_.folder = SiteFolderText(dir_);
    std::string text = FormatSiteText(spec_);
    // What the emulator reads back must be what was built.
    spec_ = ParseSiteText(text);
    WriteSiteFile(dir_ / kSiteFileName, spec_);
    for (const auto& lib : spec_.libraries) Db(lib.name);
}

LibraryDb& SiteBuilder::Db(const std::string& library) {
    const LibrarySpec* spec = spec_.Find(library);
    if (!spec) throw SiteError("no library named '" + library + "' in the site");
    auto& db = dbs_[ToUpper(spec->name)];
    if (!db) {
        db = std::make_unique<LibraryDb>(*spec, dir_, ClockFn());
        CreateLibraryDatabase(*db, spec_);
    }
    return *db;
}

int64_t SiteBuilder::Sql(const std::string& library, const std::string& sql,
                         const std::vector<SqlValue>& params) {
    LibraryDb& db = Db(library);
    int64_t changed = db.Exec(sql, params);
    db.RaiseKeysAboveUsedIds();
    return changed;
}

int32_t SiteBuilder::AddGroup(const std::string& library, const std::string& groupId,
                              const std::string& groupName, int32_t universalAccess) {
    LibraryDb& db = Db(library);
    auto existing = db.QueryValue("SELECT SYSTEM_ID FROM " + db.Table("GROUPS") + " WHERE GROUP_ID = ?",
                                  {groupId});
    if (!IsNull(existing)) return static_cast<int32_t>(AsInt(existing));
    int32_t key = db.NextSystemKey();
    db.Exec("INSERT INTO " + db.Table("GROUPS") +
                " (SYSTEM_ID, GROUP_ID, GROUP_NAME, UNIV_ACCESS, DISABLED) VALUES (?, ?, ?, ?, '')",
            {int64_t{key}, groupId, groupName, int64_t{universalAccess}});
    return key;
}

int32_t SiteBuilder::AddPerson(const std::string& library, const std::string& userId,
                               const std::string& fullName, const std::string& primaryGroup) {
    LibraryDb& db = Db(library);
    int32_t group = AddGroup(library, primaryGroup, primaryGroup);
    int32_t key = db.NextSystemKey();
    db.Exec("INSERT INTO " + db.Table("PEOPLE") +
                " (SYSTEM_ID, USER_ID, FULL_NAME, PRIMARY_GROUP, DISABLED) VALUES (?, ?, ?, ?, '')",
            {int64_t{key}, userId, fullName, int64_t{group}});
    AddMember(library, userId, primaryGroup);
    return key;
}

void SiteBuilder::AddMember(const std::string& library, const std::string& userId,
                            const std::string& groupId) {
    LibraryDb& db = Db(library);
    db.Exec("INSERT INTO " + db.Table("PEOPLEGROUPS") +
                " (PEOPLE_SYSTEM_ID, GROUPS_SYSTEM_ID) SELECT P.SYSTEM_ID, G.SYSTEM_ID FROM " +
                db.Table("PEOPLE") + " P, " + db.Table("GROUPS") +
                " G WHERE P.USER_ID = ? AND G.GROUP_ID = ?",
            {userId, groupId});
}

int32_t SiteBuilder::AddApplication(const std::string& library, const std::string& application,
                                    const std::string& description, const std::string& extension) {
    LibraryDb& db = Db(library);
    int32_t key = db.NextSystemKey();
    db.Exec("INSERT INTO " + db.Table("APPS") +
                " (SYSTEM_ID, APPLICATION, DESCRIPTION, DEFAULT_EXTENSION, DISABLED) "
                "VALUES (?, ?, ?, ?, '')",
            {int64_t{key}, application, description, extension});
    return key;
}

int32_t SiteBuilder::AddLookup(const std::string& library, const std::string& table,
                               const std::string& idColumn, const std::string& id,
                               const std::string& nameColumn, const std::string& name) {
    LibraryDb& db = Db(library);
    int32_t key = db.NextSystemKey();
    db.Exec("INSERT INTO " + db.Table(table) + " (SYSTEM_ID, " + QuoteName(idColumn) + ", " +
                QuoteName(nameColumn) + ", DISABLED) VALUES (?, ?, ?, '')",
            {int64_t{key}, id, name});
    return key;
}

}  // namespace dmsim
