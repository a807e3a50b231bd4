#include "dmsim/version_store.h"

#include <filesystem>
#include <fstream>

#include "dmsim/date_text.h"
#include "dmsim/dm_activity.h"
#include "dmsim/doc_storage.h"
#include "dmsim/library_db.h"
#include "dmsim/lookup_values.h"
#include "dmsim/storage_journal.h"

namespace dmsim {

namespace {

namespace fs = std::filesystem;

constexpr size_t kLabelWidth = 10;

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

// A VERSION_ID no row uses yet, from the counter GetNextKey("VERSIONS")
// draws too.
int32_t NewVersionId(LibraryDb& db) {
    for (;;) {
        int32_t id = db.NextVersionId();
        if (id == 0) throw SiteError("no version id can be had");
        if (IsNull(db.QueryValue("SELECT 1 FROM " + db.Table("VERSIONS") + " WHERE VERSION_ID = ?", {int64_t{id}}))) {
            return id;
        }
    }
}

void InsertVersionRows(LibraryDb& db, int32_t docNumber, int32_t versionId, int32_t version, const std::string& sub,
                       const std::string& label, const SqlValue& author, const SqlValue& typist,
                       const std::string& comment, const std::string& fileName, int64_t size) {
    const std::string now = db.NowText();
    const bool editTime = db.Spec().HasColumn(OptionalColumn::VersionEditTime);
    std::vector<SqlValue> params{int64_t{docNumber}, int64_t{versionId}, int64_t{version}, sub, label, comment,
                                 author, typist, now};
    if (editTime) params.push_back(now);
    db.Exec("INSERT INTO " + db.Table("VERSIONS") +
                " (DOCNUMBER, VERSION_ID, VERSION, SUBVERSION, VERSION_LABEL, STATUS, PREV_STATUS, FORCE_VERSION_RO, "
                "COMMENTS, AUTHOR, TYPIST, LASTEDITDATE" +
                std::string(editTime ? ", LASTEDITTIME" : "") + ") VALUES (?, ?, ?, ?, ?, 0, 0, 0, ?, ?, ?, ?" +
                std::string(editTime ? ", ?" : "") + ")",
            params);
    db.Exec("INSERT INTO " + db.Table("COMPONENTS") +
                " (DOCNUMBER, VERSION_ID, PATH, LOCKED, FILE_SIZE, COMPTYPE, ALTERNATE_PATH) "
                "VALUES (?, ?, ?, 'N', ?, 'D', '')",
            {int64_t{docNumber}, int64_t{versionId}, fileName, size});
}

std::optional<int64_t> OptionalId(const SqlValue& v) {
    if (IsNull(v)) return std::nullopt;
    return AsInt(v);
}

SqlValue DueDate(const dm::Variant& due) {
    std::string text = Trim(due.ToText());
    if (auto d = ParseDateTime(text)) return FormatDateTime(*d);
    if (auto d = ParseDateTime(text + " 00:00:00")) return FormatDateTime(*d);
    return SqlValue();
}

}  // namespace

std::vector<VersionRow> ListVersions(LibraryDb& db, int32_t docNumber) {
    auto rows = db.Query("SELECT VERSION_ID, DOCNUMBER, VERSION, SUBVERSION, VERSION_LABEL FROM " + db.Table("VERSIONS") +
                             " WHERE DOCNUMBER = ? ORDER BY VERSION, CASE WHEN SUBVERSION IS NULL OR "
                             "TRIM(SUBVERSION) IN ('', '!') THEN '' ELSE SUBVERSION END, VERSION_ID",
                         {int64_t{docNumber}});
    std::vector<VersionRow> out;
    for (const auto& r : rows.rows) {
        out.push_back({static_cast<int32_t>(AsInt(r[0])), static_cast<int32_t>(AsInt(r[1])),
                       static_cast<int32_t>(AsInt(r[2])), AsText(r[3]), AsText(r[4])});
    }
    return out;
}

std::optional<VersionRow> FindVersion(LibraryDb& db, int32_t versionId) {
    auto rows = db.Query("SELECT VERSION_ID, DOCNUMBER, VERSION, SUBVERSION, VERSION_LABEL FROM " + db.Table("VERSIONS") +
                             " WHERE VERSION_ID = ?",
                         {int64_t{versionId}});
    if (rows.rows.empty()) return std::nullopt;
    const auto& r = rows.rows.front();
    return VersionRow{static_cast<int32_t>(AsInt(r[0])), static_cast<int32_t>(AsInt(r[1])),
                      static_cast<int32_t>(AsInt(r[2])), AsText(r[3]), AsText(r[4])};
}

std::string ComponentPath(LibraryDb& db, int32_t versionId) {
    auto rows = db.Query("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM " + db.Table("VERSIONS") + " V JOIN " +
                             db.Table("PROFILE") + " P ON P.DOCNUMBER = V.DOCNUMBER JOIN " + db.Table("COMPONENTS") +
                             " C ON C.DOCNUMBER = V.DOCNUMBER AND C.VERSION_ID = V.VERSION_ID "
                             "WHERE V.VERSION_ID = ? ORDER BY C.rowid",
                         {int64_t{versionId}});
    if (rows.rows.empty()) return "";
    const auto& r = rows.rows.front();
    return AsText(r[0]) + AsText(r[1]) + AsText(r[2]);
}

void CreatePlaceholderVersion(LibraryDb& db, int32_t docNumber, int64_t systemId, const SqlValue& author,
                              std::optional<int64_t> application) {
    std::string extension = kPlaceholderExtension;
    if (application) {
        std::string appExtension = ExtensionOf(
            "x." + AsText(db.QueryValue("SELECT DEFAULT_EXTENSION FROM " + db.Table("APPS") + " WHERE SYSTEM_ID = ?",
                                        {*application})));
        if (!appExtension.empty()) extension = appExtension;
    }
    const std::string name = ComponentName(DocumentCode(systemId), 1, '!', extension);
    InsertVersionRows(db, docNumber, NewVersionId(db), 1, "!", "1", author, author, "", name, 0);
    WriteDmActivity(db, docNumber, kActivityVersionCreated, "Version 1 created", "1", application);
    WriteComponentFile(db, fs::path(), NativePath(db.DocServerLoc() + DocumentFolder(db)) / name);
}

AddedVersion AddVersion(LibraryDb& db, int64_t profileSystemId, const VersionRequest& request) {
    LibraryDb::FrozenClock instant(db);
    return db.InTransaction([&]() -> AddedVersion {
        AddedVersion added;
        auto refuse = [&](int32_t number, std::string text) {
            added.refusal = Refusal{number, std::move(text)};
            return added;
        };
        auto profile = db.Query("SELECT DOCNUMBER, DOCSERVER_LOC, PATH, APPLICATION FROM " + db.Table("PROFILE") +
                                    " WHERE SYSTEM_ID = ?",
                                {profileSystemId});
        if (profile.rows.empty()) return refuse(kErrNoSuchItem, "The profile no longer exists.");
        const auto docNumber = static_cast<int32_t>(AsInt(profile.rows[0][0]));
        std::string loc = AsText(profile.rows[0][1]);
        std::string path = AsText(profile.rows[0][2]);
        const std::optional<int64_t> application = OptionalId(profile.rows[0][3]);

        const fs::path source = NativePath(request.file);
        std::error_code ec;
        if (request.file.empty() || !fs::is_regular_file(source, ec) || !std::ifstream(source, std::ios::binary)) {
            return refuse(kErrFileMissing, "Unable to read the file " + request.file + ".");
        }
        const std::string authorId = request.author.empty() ? db.Spec().userId : request.author;
        const std::string typistId = request.typist.empty() ? db.Spec().userId : request.typist;
        auto author = FindPerson(db, authorId);
        if (!author) return refuse(kErrUnknownUser, "The user " + authorId + " is not known in this library.");
        auto typist = FindPerson(db, typistId);
        if (!typist) return refuse(kErrUnknownUser, "The user " + typistId + " is not known in this library.");

        const std::string fifth = request.fifth ? Trim(*request.fifth) : std::string();
        const auto lead = static_cast<int32_t>(dm::LeadingNumber(fifth));
        int32_t version = 0;
        char subversion = '!';
        std::string label;
        if (!fifth.empty() && lead != 0) {
            const std::string parentLabel = std::to_string(lead);
            auto parent = db.QueryValue("SELECT VERSION FROM " + db.Table("VERSIONS") +
                                            " WHERE DOCNUMBER = ? AND TRIM(VERSION_LABEL) = ? AND "
                                            "(SUBVERSION IS NULL OR TRIM(SUBVERSION) IN ('', '!')) ORDER BY VERSION_ID",
                                        {int64_t{docNumber}, parentLabel});
            if (IsNull(parent)) {
                return refuse(kErrNoSuchVersion, "Document #" + std::to_string(docNumber) + " has no version " +
                                                     parentLabel + ".");
            }
            version = static_cast<int32_t>(AsInt(parent));
            auto used = db.Query("SELECT UPPER(TRIM(SUBVERSION)) FROM " + db.Table("VERSIONS") +
                                     " WHERE DOCNUMBER = ? AND VERSION = ?",
                                 {int64_t{docNumber}, int64_t{version}});
            for (subversion = 'A'; subversion <= 'Z'; ++subversion) {
                bool taken = false;
                for (const auto& u : used.rows) taken = taken || AsText(u[0]) == std::string(1, subversion);
                if (!taken) break;
            }
            if (subversion > 'Z') {
                return refuse(kErrNoMoreSubversions, "Version " + parentLabel + " has no free subversion left.");
            }
            label = parentLabel + subversion;
            if (request.wrongSubversionLabel) {
                label = request.wrongSubversionLabel->empty() ? std::to_string(lead + 1) + subversion
                                                              : *request.wrongSubversionLabel;
            }
        } else {
            version = static_cast<int32_t>(
                AsInt(db.QueryValue("SELECT COALESCE(MAX(VERSION), 0) FROM " + db.Table("VERSIONS") +
                                        " WHERE DOCNUMBER = ?",
                                    {int64_t{docNumber}})) +
                1);
            label = fifth.empty() ? std::to_string(version) : *request.fifth;
        }
        if (label.size() > kLabelWidth) return refuse(kErrInvalidValue, "The label " + label + " is too long.");

        if (loc.empty() || path.empty()) {
            // Rows written by SQL may lack the storage; the DM gives them its own.
            loc = db.DocServerLoc();
            path = DocumentFolder(db);
            db.Exec("UPDATE " + db.Table("PROFILE") + " SET DOCSERVER_LOC = ?, PATH = ? WHERE SYSTEM_ID = ?",
                    {loc, path, profileSystemId});
        }
        const std::string name =
            ComponentName(DocumentCode(profileSystemId), version, subversion, ExtensionOf(FileNameOf(request.file)));
        const fs::path target = NativePath(loc + path + name);
        if (fs::exists(target, ec)) return refuse(kErrStorage, "The file " + target.string() + " exists already.");

        added.versionId = NewVersionId(db);
        const auto size = static_cast<int64_t>(fs::file_size(source, ec));
        InsertVersionRows(db, docNumber, added.versionId, version, std::string(1, subversion), label, *author, *typist,
                          request.comment, name, ec ? 0 : size);
        WriteDmActivity(db, docNumber, kActivityVersionCreated, "Version " + label + " created", label, application);
        db.Exec("UPDATE " + db.Table("PROFILE") + " SET LAST_EDIT_DATE = ? WHERE SYSTEM_ID = ?",
                {db.NowText(), profileSystemId});
        WriteComponentFile(db, source, target);
        return added;
    });
}

std::optional<Refusal> CheckOutVersion(LibraryDb& db, int32_t versionId, const std::string& directory,
                                       const dm::Variant& due, const std::string& comment) {
    const std::string path = ComponentPath(db, versionId);
    auto row = FindVersion(db, versionId);
    if (path.empty() || !row) return Refusal{kErrNoSuchVersion, "The version has no component file."};
    const fs::path source = NativePath(path);
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) return Refusal{kErrFileMissing, "Unable to read the file " + path + "."};
    const fs::path dir = NativePath(directory);
    if (directory.empty() || !fs::is_directory(dir, ec)) {
        return Refusal{kErrStorage, "The folder " + directory + " does not exist."};
    }
    LibraryDb::FrozenClock instant(db);
    db.InTransaction([&] {
        auto user = FindPerson(db, db.Spec().userId);
        db.Exec("INSERT INTO " + db.Table("CHECKOUT") +
                    " (DOCNUMBER, VERSION_ID, TYPIST, LOCATION, CHECKOUT_DATE, DUE_DATE, COMMENTS) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?)",
                {int64_t{row->docNumber}, int64_t{versionId}, user ? SqlValue(*user) : SqlValue(),
                 directory.substr(0, 255), db.NowText(), DueDate(due), comment.substr(0, 255)});
        db.Exec("UPDATE " + db.Table("PROFILE") + " SET STATUS = 3 WHERE DOCNUMBER = ?", {int64_t{row->docNumber}});
        fs::copy_file(source, dir / FileNameOf(path), fs::copy_options::overwrite_existing);
    });
    return std::nullopt;
}

}  // namespace dmsim
