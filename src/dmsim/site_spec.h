#pragma once
// What a DM site is made of: its libraries with their database, owner,
// engine, user, rights and parameters, and the site-wide session values.
// The site file (site_file.h) stores it; the site builder creates it.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "dmclient/variant.h"
#include "dmsim/text.h"

namespace dmsim {

class SiteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The four DM columns a library may lack; each comes and goes together with
// its data-dictionary row.
// PROFILE.ITEM_TYPE is missing on DM client versions below 10; it is never
// probed.
enum class OptionalColumn {
    SecurityLink,
    ActivityStartTime,
    VersionEditTime,
    EncryptionKeyId,
    ItemType
};

struct OptionalColumnName {
    OptionalColumn column;
    const char* table;
    const char* name;
};
inline constexpr OptionalColumnName kOptionalColumns[] = {
    {OptionalColumn::SecurityLink, "PROFILE", "SECURITY_LINK"},
    {OptionalColumn::ActivityStartTime, "ACTIVITYLOG", "START_TIME"},
    {OptionalColumn::VersionEditTime, "VERSIONS", "LASTEDITTIME"},
    {OptionalColumn::EncryptionKeyId, "COMPONENTS", "ENCRYPTION_KEY_ID"},
    {OptionalColumn::ItemType, "PROFILE", "ITEM_TYPE"},
};

// Engine codes as the DM client reports them.
inline constexpr int32_t kEngineNotDetermined = 0;
inline constexpr int32_t kEngineSqlServer = 1;
inline constexpr int32_t kEngineOracle = 2;
inline constexpr int32_t kEngineOracleAlt = 5;
inline constexpr int32_t kEngineSybase = 6;

// A user right ("User.DocDelete") or library parameter
// ("DOCSParms.UniqueDocNames") with its value.
using LibraryProperty = std::pair<std::string, dm::Variant>;

struct LibrarySpec {
    std::string name;  // as the DM spells it; mixed case allowed
    std::string file;  // SQLite file; relative paths are below the site folder
    std::string owner = "DOCSADM";
    // What IDmSql::DatabaseVendor reports: 2/5 Oracle, 6 Sybase, other
    // non-zero SQL Server, 0 not determined.
    int32_t engine = kEngineSqlServer;
    // DATABASE_ENGINE in REMOTE_LIBRARIES rows; 0 means "the engine, or SQL
    // Server when the engine is not determined".
    int32_t databaseEngine = 0;
    // The answer to serverproperty('ProductVersion'); empty: no answer.
    std::string serverVersion = "13.0.5026.0";
    std::string docServer;  // document-server folder; relative to the site folder
    std::string userId = "DMADMIN";
    std::string userName = "DM Administrator";
    std::string primaryGroup = "DOCS_SUPERVISORS";
    bool caseSensitive = false;
    std::vector<OptionalColumn> columns = {OptionalColumn::SecurityLink,
                                           OptionalColumn::ActivityStartTime,
                                           OptionalColumn::VersionEditTime,
                                           OptionalColumn::EncryptionKeyId,
                                           OptionalColumn::ItemType};
    bool settingsTable = false;  // KEST_SETTINGS exists
    int32_t lastDocNumber = 0;   // SEQ_PROFILE.LASTKEY of a new library
    // The document forms the library offers (form_catalog.h); empty: all.
    std::vector<std::string> forms;
    std::vector<LibraryProperty> properties;

    bool HasColumn(OptionalColumn c) const;
    // DATABASE_ENGINE of the library's REMOTE_LIBRARIES rows.
    int32_t RowEngine() const;
    // The engine whose SQL the library's database speaks: what the client
    // reports, else what its rows say.
    int32_t EffectiveEngine() const;
    bool IsOracle() const;
};

struct SiteSpec {
    std::vector<LibrarySpec> libraries;  // in the DM's stable order
    std::string primaryLibrary;          // the user's primary library
    std::string currentLibrary;          // the DM's current library
    std::string securityToken = "DMSIM-SECURITY-TOKEN";
    std::string clientName = "DM Client";
    std::string clientVersion = "10.2";
    std::string patchLevel = "1";
    // The folder the site was made in or last relocated to, absolute; the
    // stored document-server paths point into it. Empty: not recorded.
    std::string folder;
    // The servers' default language ("British", "Deutsch"; empty:
    // us_english) and date format ("dmy"; empty: the language's own): how a
    // new session reads date texts.
    std::string language;
    std::string dateFormat;

    const LibrarySpec* Find(const std::string& name) const;  // case-insensitive
    LibrarySpec* Find(const std::string& name);
};

// Rights and parameters of a library that the site does not list.
std::vector<LibraryProperty> DefaultLibraryProperties();


}  // namespace dmsim
