// The new document's versions, subversions and attachments, added through
// the DM client from the source's files, then given the source's version
// values by SQL.

#include <optional>

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "removal/removal.h"
#include "transfer/date_values.h"
#include "transfer/transfer.h"

namespace transfer {

namespace {

// The name the version loop's logged refusals carry.
constexpr const char* kProcedure = "AddTargetVersions";

std::string DateCast(bool oracle, const std::string& column, const dm::Variant& value) {
    return column + " = " + SqlDate(oracle, StatementDate(value));
}

}  // namespace

bool DocumentTransfer::OpenTargetProfile() {
    auto& s = p_.session;
    auto& profile = s.CurrentProfile;
    const std::string libName = s.ConnectedLibrary->Name();
    p_.WriteLog("Opening profile #" + Num(v_.TargetDocNumber) + " for processing " +
                Num(static_cast<int64_t>(v_.VersionRows.size())) + " version row(s) in library " + libName);
    profile = s.ConnectedLibrary->GetProfile(v_.TargetDocNumber);
    p_.Separator();
    if (!profile) {
        Fail("Error: Unable to open profile for document #" + Num(v_.TargetDocNumber) + " in library " + libName);
        return false;
    }
    auto library = profile->Library();
    p_.WriteLog("Accessing document #" + Num(profile->DocNumber()) + " in library " + (library ? library->Name() : ""));
    const int32_t opened = profile->OpenForEdit(32 + p_.run.DmSaveFlags);
    p_.Separator();
    if (opened != 1) {
        const int32_t error = profile->ErrorNumber();
        const std::string number = Num(profile->DocNumber());
        const std::string name = profile->Name();
        if (error != 0) {
            p_.WriteLog("Error: #" + Num(error) + " - " + profile->ErrorDescription() + " Unable to open document #" +
                        number + " (" + name + ") to create Versions");
        } else {
            p_.WriteLog("Error: Unable to open Document #" + number + " (" + name + ") to create Versions");
        }
        profile->Close();
        profile.reset();
        v_.TransferResult = 0;
        return false;
    }
    p_.WriteLog("Profile #" + Num(profile->DocNumber()) + " opened in library " + libName);
    p_.Separator();
    return true;
}

bool DocumentTransfer::AddTargetVersions() {
    auto& s = p_.session;
    auto& sql = s.PcdSql;
    auto& profile = s.CurrentProfile;
    const int32_t saveFlags = p_.run.DmSaveFlags;
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const std::string m = Num(v_.TargetDocNumber);

    int32_t versionsAdded = 0;
    int32_t versionsCreated = 0;
    bool firstVersionPending = true;
    const size_t rowCount = v_.VersionRows.size();

    for (size_t index = 0; index < rowCount; ++index) {
        auto& row = v_.VersionRows[index];
        const std::string r = Num(static_cast<int64_t>(index) + 1);
        auto endOfRow = [&] {
            p_.Separator();
            p_.WriteLog(index + 1 < rowCount ? "Moving on to next version row" : "Finished processing versions");
            p_.Separator();
        };
        auto skipRow = [&](const std::string& text) {
            p_.WriteLog(text);
            p_.Separator();
            ++v_.VersionsNotProcessed;
            endOfRow();
        };
        if (!profile) {
            skipRow("Error: Unable to work with this version because the profile object is no longer set");
            continue;
        }
        if (dm::LeadingNumber(row.Status.ToText()) == 4) {
            ++v_.VersionsUnavailable;
            skipRow("Skipping version " + r + " - Status is Unavailable");
            continue;
        }
        if (!p_.Options().MetadataOnly() && row.FilePath.empty()) {
            skipRow("Skipping version " + r + " - no input file specified");
            continue;
        }
        bool labelMatches = true;
        if (!p_.Options().MetadataOnly() && p_.GetFileFN(row.FilePath, 0) != 1) {
            skipRow("Error: Unable to locate version file " + row.FilePath + " - cannot process version " + r);
            continue;
        }

        const std::string number = Num(core::PassOver([&] { return profile->DocNumber(); }).value_or(0));
        const std::string libName = core::PassOver([&] {
                                        auto lib = profile->Library();
                                        return lib ? lib->Name() : std::string();
                                    }).value_or("");
        const std::string author = row.AuthorId.ToText();
        const std::string typist = row.TypistId.ToText();
        const std::string comment = row.Comments.ToText();
        const double leading = dm::LeadingNumber(row.KindValue);
        const bool attachment = !core::Trim(row.KindValue).empty() && leading == 0;
        const bool subversion = !core::Trim(row.KindValue).empty() && leading != 0;
        auto profileError = [&] {
            return std::make_pair(core::PassOver([&] { return profile->ErrorNumber(); }).value_or(0),
                                  core::PassOver([&] { return profile->ErrorDescription(); }).value_or(""));
        };
        // A version the DM refuses is logged here and counted as failed below.
        auto addVersion = [&](const auto& add) {
            s.CurrentVersion.reset();
            core::GoOn(p_, kProcedure, [&] { s.CurrentVersion = add(); });
        };
        auto versionOf = [&](const dm::VersionPtr& version) {
            std::string text;
            core::PassOver([&] {
                auto owner = version->Profile();
                if (owner) {
                    auto lib = owner->Library();
                    text = Num(owner->DocNumber()) + " in library " + (lib ? lib->Name() : "");
                }
            });
            return text;
        };

        if (attachment) {
            p_.ShowStatus("Processing attachment " + row.KindValue + " for document #" + number + " (" + row.FilePath +
                          ") in library " + libName);
            p_.Separator();
            p_.WriteLog("Author: " + author + " Typist: " + typist);
            addVersion([&] { return profile->AddVersion(3, row.FilePath, author, typist, row.KindValue, comment); });
            p_.Separator();
            if (!s.CurrentVersion) {
                auto [error, description] = profileError();
                p_.WriteLog("Error " + Num(error) + ": Unable to process attachment " + row.KindValue +
                            " for document #" + number + " (" + row.FilePath + ") in library " + libName);
                p_.WriteLog(description);
                ++v_.VersionsFailed;
            } else {
                const auto id = core::PassOver([&] { return s.CurrentVersion->VersionId(); }).value_or(0);
                p_.WriteLog("Attachment " + row.KindValue + " successfully processed as #" + Num(id) +
                            " for document #" + versionOf(s.CurrentVersion));
                ++versionsAdded;
                const std::string label = core::PassOver([&] { return s.CurrentVersion->Label(); }).value_or("");
                const std::string file = core::PassOver([&] { return s.CurrentVersion->FilePath(); }).value_or("");
                p_.Separator();
                p_.WriteLog("Version label '" + label + "' (" + file + ") assigned to attachment #" + Num(id));
            }
            p_.Separator();
            if (s.CurrentVersion) {
                const auto id = core::PassOver([&] { return s.CurrentVersion->VersionId(); }).value_or(0);
                p_.WriteLog("Releasing version #" + Num(id));
                core::GoOn(p_, kProcedure, [&] { s.CurrentVersion->Release(saveFlags); });
                p_.Separator();
                s.CurrentVersion.reset();
            }
            endOfRow();
            continue;
        }

        if (subversion) {
            if (versionsCreated > static_cast<int32_t>(leading)) row.KindValue = Num(versionsCreated);
            p_.ShowStatus("Processing subversion for version " + row.KindValue + " for document #" + number + " (" +
                          row.FilePath + ") in library " + libName);
            p_.Separator();
            core::PassOver([&] {
                auto lib = profile->Library();
                auto props = lib ? lib->Properties() : nullptr;
                auto item = props ? props->Item("User.MaxSubVersions") : nullptr;
                if (item) {
                    const std::string value = item->Value().ToText();
                    if (dm::LeadingNumber(value) < 26) {
                        p_.WriteLog("Warning: the maximum subversions that " + lib->UserId() +
                                    " is allowed to create in library " + lib->Name() + " is " +
                                    dm::FormatWhole(dm::LeadingNumber(value)));
                        p_.Separator();
                    }
                }
            });
            p_.WriteLog("Author: " + author + " Typist: " + typist);
            addVersion([&] {
                return profile->AddVersion(saveFlags, row.FilePath, author, typist, row.KindValue, comment);
            });
            p_.Separator();
            if (!s.CurrentVersion) {
                auto [error, description] = profileError();
                p_.WriteLog("Error " + Num(error) + ": Unable to process subversion for version " + row.KindValue +
                            " for document #" + number + " (" + row.FilePath + ") in library " + libName);
                p_.WriteLog(description);
                ++v_.VersionsFailed;
            } else {
                const auto id = core::PassOver([&] { return s.CurrentVersion->VersionId(); }).value_or(0);
                p_.WriteLog("Subversion for version " + row.KindValue + " successfully processed as #" + Num(id) +
                            " for document #" + versionOf(s.CurrentVersion));
                ++versionsAdded;
                const std::string label = core::PassOver([&] { return s.CurrentVersion->Label(); }).value_or("");
                const std::string file = core::PassOver([&] { return s.CurrentVersion->FilePath(); }).value_or("");
                p_.Separator();
                if (label.substr(0, row.KindValue.size()) != row.KindValue) {
                    p_.WriteLog("Error: Version label '" + label + "' does not match expected value '" +
                                row.KindValue + "' for subversion #" + Num(id));
                    labelMatches = false;
                } else {
                    p_.WriteLog("Version label '" + label + "' (" + file + ") assigned to subversion #" + Num(id) +
                                " ('" + row.KindValue + "')");
                }
            }
        } else {
            p_.ShowStatus("Processing version item #" + r + " for document #" + number + " (" + row.FilePath +
                          ") in library " + libName);
            p_.Separator();
            p_.WriteLog("Author: " + author + " Typist: " + typist);
            addVersion([&] {
                return profile->AddVersion(saveFlags, row.FilePath, author, typist, std::nullopt, comment);
            });
            p_.Separator();
            if (!s.CurrentVersion) {
                auto [error, description] = profileError();
                p_.WriteLog("Error " + Num(error) + ": Unable to process version " + r + " for document #" + number +
                            " (" + row.FilePath + ") in library " + libName);
                p_.WriteLog(description);
                ++v_.VersionsFailed;
            } else {
                const auto id = core::PassOver([&] { return s.CurrentVersion->VersionId(); }).value_or(0);
                p_.WriteLog("Version " + r + " successfully processed as #" + Num(id) + " for document #" +
                            versionOf(s.CurrentVersion));
                ++versionsAdded;
                ++versionsCreated;
                const std::string label = core::PassOver([&] { return s.CurrentVersion->Label(); }).value_or("");
                const std::string file = core::PassOver([&] { return s.CurrentVersion->FilePath(); }).value_or("");
                p_.Separator();
                p_.WriteLog("Version label '" + label + "' (" + file + ") assigned to version #" + Num(id));
            }
        }

        // Finishing a version or subversion row, whether it was created or not.
        p_.Separator();
        p_.Separator();
        int32_t newVersionId = 0;
        if (!s.CurrentVersion) {
            p_.WriteLog("Unable to continue processing this version");
            p_.Separator();
        } else {
            // Without its id the version's values and the first-version
            // fix-up cannot reach it.
            core::GoOn(p_, kProcedure, [&] { newVersionId = s.CurrentVersion->VersionId(); });
            p_.WriteLog("Releasing version #" + Num(newVersionId));
            core::GoOn(p_, kProcedure, [&] { s.CurrentVersion->Release(saveFlags); });
            p_.Separator();
            s.CurrentVersion.reset();
        }
        // The placeholder makes way for the first version that was created;
        // with none yet it stays for a later one.
        if (firstVersionPending && newVersionId != 0) {
            if (!removal_.ChangeFirstVersion(v_.TargetDocNumber, row.KindValue)) {
                Fail("Error: The first version of document #" + m + " in library " + v_.TargetLibrary +
                     " could not be put in place");
                return false;
            }
            firstVersionPending = false;
        }
        const std::string where = " WHERE DOCNUMBER = " + m + " AND VERSION_ID = " + Num(newVersionId);
        if (newVersionId != 0) {
            std::string statement = "UPDATE [OWNER].VERSIONS SET FORCE_VERSION_RO = " + row.ForceReadOnly +
                                    ", STATUS = " + row.StatusNumber + ", PREV_STATUS = " + row.PrevStatus + ", " +
                                    DateCast(oracle, "PUBLISH_DATE", row.PublishDate) + ", " +
                                    DateCast(oracle, "READONLY_DATE", row.ReadOnlyDate) + ", " +
                                    DateCast(oracle, "LASTEDITDATE", row.LastEditDate);
            if (p_.facts.HasVersionEditTime) statement += ", " + DateCast(oracle, "LASTEDITTIME", row.LastEditTime);
            // A version carries the source's label: the DM numbers it after
            // the placeholder it made, and a later subversion finds its
            // version by that label.
            const std::string sourceLabel = core::Trim(row.VersionLabel.ToText());
            if (!subversion && !sourceLabel.empty()) {
                statement += ", VERSION_LABEL = '" + core::StripQuotes(sourceLabel) + "'";
            }
            const std::string what = "the values of version " + row.VersionLabel.ToText() + " of the copy";
            if (!WriteOrFail(statement + where, what)) return false;
        }
        if (!labelMatches && newVersionId != 0) {
            // The subversion joins the version that carries its label; the
            // DM numbers versions after the placeholder it made.
            const std::string version = core::Trim(row.KindValue);
            p_.RunSQL("SELECT VERSION FROM [OWNER].VERSIONS WHERE DOCNUMBER = " + m + " AND VERSION_LABEL = '" +
                      core::StripQuotes(version) + "'");
            const std::string parent = sql->RowCount() > 0 ? sql->ColumnValue(1).ToText() : "";
            sql->ReleaseResults();
            const std::string suffix = core::Trim(row.SubVersion.ToText());
            if (!WriteOrFail("UPDATE [OWNER].VERSIONS SET VERSION_LABEL = '" + core::StripQuotes(version + suffix) +
                                 "', VERSION = '" + core::StripQuotes(parent.empty() ? version : parent) +
                                 "', SUBVERSION = '" + core::StripQuotes(suffix) + "' " + where.substr(1),
                             "the label of subversion " + row.VersionLabel.ToText() + " of the copy")) {
                return false;
            }
        }
        if (p_.Options().CopyEncryptionKeys() && !row.EncryptionKeyId.empty() && newVersionId != 0) {
            p_.RunSQL("SELECT ENCRYPTION_KEY_ID FROM [OWNER].COMPONENTS" + where);
            const dm::Variant targetKey = sql->ColumnValue(1);
            sql->ReleaseResults();
            if (targetKey.ToText().empty()) {
                p_.WriteLog("Setting Encryption Key into COMPONENTS");
                p_.Separator();
                const std::string statement = "UPDATE [OWNER].COMPONENTS SET ENCRYPTION_KEY_ID = '" +
                                              core::StripQuotes(row.EncryptionKeyId) + "'" + where;
                // Without its key an encrypted file cannot be read; a target
                // without the column holds no key and is passed over.
                if (!p_.facts.HasEncryptionKeyId) {
                    p_.RunSQL(statement);
                    sql->ReleaseResults();
                } else if (!WriteOrFail(statement, "the encryption key of version " + row.VersionLabel.ToText() +
                                                       " of the copy")) {
                    return false;
                }
            }
        }
        endOfRow();
    }

    v_.VersionsWritten = versionsAdded;
    if (versionsAdded == 0) {
        Fail("Error: No versions or attachments were added for document #" + m);
        return false;
    }
    return true;
}

}  // namespace transfer
