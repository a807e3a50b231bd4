// The source's versions to transfer and where their files are read from:
// the stored component files, or copies the DM client checks out into a
// temporary folder of this transfer's own.

#include <chrono>
#include <filesystem>
#include <system_error>

#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "transfer/transfer.h"

namespace transfer {

namespace {

// The text after the last "\" or "/".
std::string FileNameOf(const std::string& path) {
    size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool EndsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '\\' || s.back() == '/'); }

}  // namespace

bool DocumentTransfer::CollectVersionRows() {
    auto& sql = p_.session.PcdSql;
    const std::string n = Num(v_.DocNumber);
    v_.VersionsNotProcessed = 0;
    v_.VersionRows.clear();
    v_.VersionsFetched = false;

    // Every version the source holds, whatever is taken below: a Move may
    // give up the source only when all of them reach the target.
    v_.SourceVersionCount = Scalar("SELECT COUNT(*) FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + n).ToLong();

    if (core::Upper(v_.SourceApplication.ToText()) == "FOLDER" || v_.SourceStorageType.ToText() == "P" ||
        v_.SourceObjectType != 0) {
        p_.WriteLog("NOT Getting Versions for Document #" + n);
        p_.Separator();
        return true;
    }
    v_.VersionsFetched = true;
    p_.ShowStatus("Fetching version(s) for Document #" + n);
    p_.Separator();

    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const bool editTime = p_.facts.HasVersionEditTime;
    const bool keyId = p_.facts.HasEncryptionKeyId;
    p_.RunSQL(std::string("SELECT PA.USER_ID, V.COMMENTS, PR.DOCSERVER_LOC, PR.PATH AS \"FILE_PATH\", "
                          "CO.PATH AS \"FILE_NAME\", V.LASTEDITDATE, PT.USER_ID, V.VERSION_LABEL, V.STATUS, "
                          "V.VERSION, V.SUBVERSION, V.FORCE_VERSION_RO, ") +
              (editTime ? "V.LASTEDITTIME" : "V.LASTEDITDATE") +
              ", V.PUBLISH_DATE, V.READONLY_DATE, V.STATUS, V.PREV_STATUS, PR.PD_OBJ_TYPE, PR.READONLY" +
              (keyId ? ", CO.ENCRYPTION_KEY_ID" : "") +
              " FROM [OWNER].VERSIONS V LEFT OUTER JOIN [OWNER].COMPONENTS CO ON CO.DOCNUMBER = V.DOCNUMBER "
              "AND CO.VERSION_ID = V.VERSION_ID LEFT OUTER JOIN [OWNER].PROFILE PR ON PR.DOCNUMBER = V.DOCNUMBER "
              "LEFT OUTER JOIN [OWNER].PEOPLE PA ON PA.SYSTEM_ID = V.AUTHOR "
              "LEFT OUTER JOIN [OWNER].PEOPLE PT ON PT.SYSTEM_ID = V.TYPIST "
              "WHERE V.VERSION_LABEL NOT LIKE 'PR%' AND (CO.PATH NOT LIKE '%.PR%' AND CO.PATH NOT LIKE '%.WDF%') "
              "AND PR.DOCNUMBER = " +
              n + (oracle ? " AND V.VERSION != 0 " : " AND V.VERSION <> 0 ") + "ORDER BY V.VERSION, V.SUBVERSION ");

    const std::string noVersions = "Error: There are no versions that are available for Document #" + n;
    auto failNoVersions = [&](int times) {
        for (int i = 0; i < times; ++i) {
            p_.WriteLog(noVersions);
            p_.Separator();
        }
        if (p_.Options().DisplayErrors()) {
            p_.platform.ui.MessageBox(noVersions, platform::mb::Exclamation, core::AppTitle());
        }
        v_.TransferResult = 0;
        return false;
    };
    if (sql->RowCount() == 0) {
        sql->ReleaseResults();
        return failNoVersions(2);
    }
    v_.VersionRowTotal = sql->RowCount();
    int32_t keyIdColumn = 0;
    if (keyId) {
        for (int32_t c = 1; c <= sql->ColumnCount() && keyIdColumn == 0; ++c) {
            if (sql->ColumnName(c) == "ENCRYPTION_KEY_ID") keyIdColumn = c;
        }
    }

    do {
        auto value = [&](int32_t c) { return sql->ColumnValue(c); };
        auto text = [&](int32_t c) { return value(c).ToText(); };
        if (value(5).IsBlank()) {
            p_.WriteLog(sql->ColumnName(5) + " is blank - not processing this version");
            p_.Separator();
            continue;
        }
        if (value(8).IsBlank()) {
            p_.WriteLog(sql->ColumnName(8) + " is blank - not processing this version");
            p_.Separator();
            continue;
        }
        // The source's own read-only mark; "Make target document read-only"
        // dates the target's mark but says nothing about the source.
        const bool readOnly = text(19) == "Y";
        if (readOnly) v_.SourceReadOnly = true;
        if (readOnly || p_.Options().TakeReadOnlyDate()) {
            const std::string date = core::Trim(text(15));
            v_.SourceReadOnlyDate = date.empty() ? NowText() : date;
        }
        std::string folder = core::Trim(text(3)) + core::Trim(text(4));
        if (!EndsWithSeparator(folder)) folder += "\\";
        const std::string path = folder + core::Trim(text(5));

        if (!p_.Options().MetadataOnly()) {
            std::string failure;
            p_.WriteLog("Confirming existence of version file " + path);
            p_.Separator();
            if (p_.GetFileFN(path, 0) != 1) {
                failure = "Error: Unable to locate the version file " + path;
            } else if (p_.GetFileFN(path, 2) != 1) {
                failure = "Error: Version file " + path + " is zero-bytes";
            } else {
                p_.WriteLog("Version file " + path + " ok");
                p_.Separator();
            }
            if (!failure.empty()) {
                p_.WriteLog(failure);
                p_.Separator();
                ++v_.VersionsNotProcessed;
                continue;
            }
        }

        VersionRow row;
        row.AuthorId = value(1);
        row.Comments = value(2);
        row.FilePath = path;
        row.LastEditDate = value(6);
        row.TypistId = value(7);
        const std::string subversion = core::Trim(text(11));
        if (!subversion.empty() && subversion != "!") {
            row.KindValue = core::Trim(text(10));
        } else if (dm::LeadingNumber(text(8)) != 0) {
            row.KindValue = "";
        } else {
            row.KindValue = core::Trim(text(8));
        }
        row.Status = value(9);
        row.ForceReadOnly = dm::FormatWhole(dm::LeadingNumber(text(12)));
        row.LastEditTime = value(13);
        row.PublishDate = value(14);
        row.ReadOnlyDate = value(15);
        row.StatusNumber = dm::FormatWhole(dm::LeadingNumber(text(16)));
        row.PrevStatus = dm::FormatWhole(dm::LeadingNumber(text(17)));
        row.VersionLabel = value(8);
        row.VersionNumber = value(10);
        row.SubVersion = value(11);
        row.FileName = core::Trim(text(5));
        row.ObjectType = value(18);
        row.EncryptionKeyId = keyIdColumn > 0 ? text(keyIdColumn) : "";
        v_.SourceDocServer = core::Trim(text(3));
        v_.SourceDocPath = core::Trim(text(4));
        v_.VersionRows.push_back(row);

        const std::string k = Num(static_cast<int64_t>(v_.VersionRows.size()));
        if (!subversion.empty() && subversion != "!") {
            p_.WriteLog("Adding subversion row " + k);
        } else if (row.KindValue.empty()) {
            p_.WriteLog("Adding version row " + k);
            p_.Separator();
        } else {
            p_.WriteLog("Adding attachment row " + k);
        }
    } while (sql->NextRow());
    sql->ReleaseResults();
    p_.Separator();

    if (v_.VersionRows.empty()) return failNoVersions(1);
    p_.WriteLog(Num(static_cast<int64_t>(v_.VersionRows.size())) + " version(s) will be processed");
    p_.Separator();
    return true;
}

bool DocumentTransfer::MakeTempDirectory() {
    if (!tempFolder_.Make(p_.platform.system.TempFolder(), v_.DocNumber)) return false;
    v_.TempDirectory = tempFolder_.Path();
    return true;
}

bool DocumentTransfer::CheckOutVersionFiles() {
    if (!v_.VersionsFetched || !p_.Options().CheckOutVersions()) return true;
    auto& s = p_.session;
    auto& sql = s.PcdSql;
    const std::string n = Num(v_.DocNumber);

    p_.ShowStatus("Setting up for processing encrypted documents");
    p_.Separator();
    v_.PendingTempFiles.clear();
    // The copies go to a folder of this transfer's own, so that removing
    // them never touches a file of anybody else's.
    if (!MakeTempDirectory()) {
        Fail("Error: Unable to create a temporary folder in " + p_.platform.system.TempFolder() +
             " for the copies of Document #" + n);
        return false;
    }
    // The check-outs write CHECKOUT rows and a status of their own: both go
    // again on every way out (RestoreSourceState).
    v_.CheckOutsWritten = true;
    v_.SourceStatusChanged = true;
    if (v_.SourceStatus == 3) {
        p_.RunSQL("DELETE FROM [OWNER].CHECKOUT WHERE DOCNUMBER = " + n);
        sql->ReleaseResults();
    }
    p_.RunSQL("UPDATE [OWNER].PROFILE SET STATUS = 0 WHERE DOCNUMBER = " + n);
    sql->ReleaseResults();

    auto unlock = [&](const char* when) {
        if (!s.CurrentProfile) return;
        p_.WriteLog(std::string("Unlocking Profile at ") + when);
        s.CurrentProfile->Unlock(3, 0, v_.TempDirectory, 0);
        s.CurrentProfile->Close();
        s.CurrentProfile.reset();
        p_.Separator();
    };
    unlock("beginning");

    s.CurrentProfile = s.ConnectedLibrary->GetProfile(v_.DocNumber);
    if (!s.CurrentProfile) {
        p_.WriteLog("Error: Unable to set Profile object for document #" + n);
        p_.Separator();
    } else {
        auto versions = s.CurrentProfile->Versions();
        const int32_t count = versions ? versions->Count() : 0;
        if (count == 0) {
            p_.WriteLog("No versions found for Profile object for document #" + n);
        } else {
            p_.WriteLog("Processing " + Num(count) + " version(s)");
            p_.Separator();
            auto due = platform::ToLocal(p_.platform.clock.Now() + std::chrono::hours(24 * 365));
            char dueText[16];
            std::snprintf(dueText, sizeof dueText, "%04d-%02d-%02d", due.year, due.month, due.day);
            const std::string user = s.ConnectedLibrary->UserId();
            for (int32_t k = 1; k <= count; ++k) {
                s.CurrentVersion = versions->Item(k);
                if (!s.CurrentVersion) {
                    p_.WriteLog("Error: Unable to set Version object for item #" + Num(k));
                    p_.Separator();
                    continue;
                }
                const std::string label = s.CurrentVersion->Label();
                const std::string copy = v_.TempDirectory + FileNameOf(s.CurrentVersion->FilePath());
                p_.WriteLog("Checking out version " + label + " to " + copy);
                p_.Separator();
                s.CurrentVersion->CheckOut(dm::Variant(std::string(dueText)), OwnCheckOutComment(user),
                                           v_.TempDirectory);
                std::error_code ec;
                if (!std::filesystem::is_regular_file(std::filesystem::path(copy), ec)) {
                    p_.WriteLog(copy + " not found");
                    p_.Separator();
                } else {
                    v_.PendingTempFiles.push_back({label, copy});
                }
                s.CurrentProfile->Unlock(3, 0, v_.TempDirectory, 0);
            }
        }
    }

    // Each row takes its version's copy. A row without one is not
    // transferred: its stored file is not what the target is to receive.
    std::vector<bool> copied(v_.VersionRows.size(), false);
    for (const auto& pending : v_.PendingTempFiles) {
        for (size_t r = 0; r < v_.VersionRows.size(); ++r) {
            if (v_.VersionRows[r].VersionLabel.ToText() == pending.Label) {
                if (!copied[r]) {
                    v_.VersionRows[r].FilePath = pending.Path;
                    copied[r] = true;
                }
                break;
            }
        }
    }
    std::vector<VersionRow> kept;
    for (size_t r = 0; r < v_.VersionRows.size(); ++r) {
        if (copied[r]) {
            kept.push_back(v_.VersionRows[r]);
            continue;
        }
        p_.WriteLog("Error: No checked-out copy was made of version " + v_.VersionRows[r].VersionLabel.ToText() +
                    " of Document #" + n + " - not processing this version");
        p_.Separator();
        ++v_.VersionsNotProcessed;
    }
    v_.VersionRows = std::move(kept);

    // The check-outs' own rows go now; the source's state at entry comes
    // back at the end of the transfer.
    p_.RunSQL("DELETE FROM [OWNER].CHECKOUT WHERE DOCNUMBER = " + n);
    sql->ReleaseResults();
    p_.RunSQL("UPDATE [OWNER].PROFILE SET STATUS = " + Num(v_.SourceStatus) + " WHERE DOCNUMBER = " + n);
    sql->ReleaseResults();
    v_.CheckOutsWritten = false;

    s.CurrentVersion.reset();
    unlock("end");

    if (v_.VersionRows.empty()) {
        Fail("Error: There are no versions that are available for Document #" + n);
        return false;
    }
    return true;
}

void DocumentTransfer::WarnMissingVersions() {
    if (!v_.VersionsFetched || p_.Options().Copy()) return;
    const auto taken = static_cast<int32_t>(v_.VersionRows.size());
    if (v_.VersionRowTotal > taken) {
        p_.WriteLog("Warning: Not all versions of Document #" + Num(v_.DocNumber) +
                    " were found - will only be processing " + Num(taken) + " of " + Num(v_.VersionRowTotal) +
                    " versions");
        p_.Separator();
    }
}

void DocumentTransfer::RemoveTempFiles() {
    for (const auto& pending : v_.PendingTempFiles) p_.RemoveFile(pending.Path, false);
    v_.PendingTempFiles.clear();
    if (!v_.TempDirectory.empty()) {
        tempFolder_.Remove();
        v_.TempDirectory.clear();
    }
}

// Once per process: the check-out folders of transfers that died with
// their process.
void DocumentTransfer::SweepAbandonedTempFolders() {
    if (tempFoldersSwept_) return;
    tempFoldersSwept_ = true;
    const int removed = TempFolder::SweepAbandoned(p_.platform.system.TempFolder());
    if (removed > 0) {
        p_.WriteLog("Removed " + Num(removed) + " temporary folder(s) left by an earlier run in " +
                    p_.platform.system.TempFolder());
        p_.Separator();
    }
}

}  // namespace transfer
