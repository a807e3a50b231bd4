#pragma once
// Builds a site in a few lines, for tests, the dmsite tool and demos:
//
//   SiteBuilder site(dir);
//   site.Library("DOCS").SettingsTable(true);
//   site.Library("Archive").Engine(6).Right("User.DocDelete", false);
//   site.Create();
//   site.AddPerson("DOCS", "JSMITH", "Jane Smith", "DOCS_USERS");
//   site.Sql("DOCS", "UPDATE SEQ_PROFILE SET LASTKEY = 500");
//
// The first library is the primary and current one unless told otherwise.
// Fixture SQL is SQLite text run directly on the library; afterwards the
// key counters are lifted above every id it wrote.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dmsim/site_spec.h"
#include "dmsim/sqlite_handle.h"

namespace dmsim {

class LibraryDb;

class SiteBuilder {
public:
    explicit SiteBuilder(std::filesystem::path dir);
    ~SiteBuilder();

    class LibraryBuilder {
    public:
        LibraryBuilder(SiteBuilder& site, size_t index) : site_(site), index_(index) {}
        LibraryBuilder& File(std::string file);
        LibraryBuilder& Owner(std::string owner);
        LibraryBuilder& Engine(int32_t engine);
        LibraryBuilder& DatabaseEngine(int32_t engine);
        LibraryBuilder& ServerVersion(std::string version);
        LibraryBuilder& DocServer(std::string folder);
        LibraryBuilder& User(std::string userId, std::string userName = "DM User");
        LibraryBuilder& PrimaryGroup(std::string groupId);
        LibraryBuilder& CaseSensitive(bool on = true);
        LibraryBuilder& WithoutColumn(OptionalColumn column);
        LibraryBuilder& SettingsTable(bool on = true);
        LibraryBuilder& LastDocNumber(int32_t number);
        // The document forms the library offers (default: all).
        LibraryBuilder& Forms(std::vector<std::string> forms);
        // Sets a right or parameter (added at the end when new).
        LibraryBuilder& Right(const std::string& name, dm::Variant value);
        LibraryBuilder& Parameter(const std::string& name, dm::Variant value);
        LibraryBuilder& RemoveProperty(const std::string& name);
        LibraryBuilder& NoProperties();
        LibrarySpec& Spec();

    private:
        SiteBuilder& site_;
        size_t index_;
    };

    // Adds the library, or returns the one of that name.
    LibraryBuilder Library(const std::string& name);
    SiteBuilder& Primary(std::string name);
    SiteBuilder& Current(std::string name);
    SiteBuilder& SecurityToken(std::string token);
    SiteBuilder& ClientName(std::string name);
    SiteBuilder& ClientVersion(std::string version, std::string patchLevel);
    // The servers' default language and date format (empty: the language's).
    SiteBuilder& Language(std::string language, std::string dateFormat = "");

    // Writes the site file and creates every library's database.
    void Create();
    const SiteSpec& Spec() const { return spec_; }
    const std::filesystem::path& Dir() const { return dir_; }

    // After Create: fixtures in a library.
    LibraryDb& Db(const std::string& library);
    int64_t Sql(const std::string& library, const std::string& sql,
                const std::vector<SqlValue>& params = {});
    int32_t AddGroup(const std::string& library, const std::string& groupId,
                     const std::string& groupName, int32_t universalAccess = 0);
    // A person with a primary group (created when missing), member of it.
    int32_t AddPerson(const std::string& library, const std::string& userId,
                      const std::string& fullName, const std::string& primaryGroup);
    void AddMember(const std::string& library, const std::string& userId, const std::string& groupId);
    int32_t AddApplication(const std::string& library, const std::string& application,
                           const std::string& description, const std::string& extension);
    // A row of a lookup table with its id column (DOCUMENTTYPES.TYPE_ID,
    // CLIENT.CLIENT_ID ...) and a name; its SYSTEM_ID.
    int32_t AddLookup(const std::string& library, const std::string& table,
                      const std::string& idColumn, const std::string& id,
                      const std::string& nameColumn, const std::string& name);

private:
    std::filesystem::path dir_;
    SiteSpec spec_;
    bool primarySet_ = false;
    bool currentSet_ = false;
    std::map<std::string, std::unique_ptr<LibraryDb>> dbs_;
};

}  // namespace dmsim
