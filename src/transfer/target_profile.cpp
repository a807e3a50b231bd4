// The new document's profile in the target: same-named copies, the number it
// is to end up with, the form, the lookup entries it refers to, the profile
// itself and its e-mail columns.

#include <algorithm>
#include <cmath>

#include "core/date_text.h"
#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "forms/main_window.h"
#include "transfer/arrival_mark.h"
#include "transfer/transfer.h"

namespace transfer {

namespace {

bool IsSet(const std::string& disabled) { return disabled == "1" || disabled == "Y"; }

bool IsEmptyText(const dm::Variant& v) {
    return v.IsEmpty() || (v.kind() == dm::Variant::Kind::Text && v.ToText().empty());
}

// Every name column holds a name this short; a longer one is measured.
constexpr size_t kShortName = 20;

}  // namespace

std::string DocumentTransfer::CopyName(const std::string& sourceName, bool appendLibraryName) {
    std::string name = appendLibraryName ? core::Trim(sourceName) : sourceName;
    const std::string suffix = appendLibraryName ? " - " + v_.TargetLibrary : "";
    if (name.size() + suffix.size() <= kShortName) return name + suffix;
    const double width = dm::LeadingNumber(
        Scalar("SELECT COL_LENGTH FROM [OWNER].DOCSCOLUMN WHERE TBNAME = 'PROFILE' AND COLNAME = 'DOCNAME'").ToText());
    if (width <= 0 || static_cast<double>(name.size() + suffix.size()) <= width) return name + suffix;
    if (static_cast<double>(suffix.size()) >= width) return "";
    name = core::Trim(core::Utf8Prefix(name, static_cast<size_t>(width) - suffix.size()));
    return name.empty() ? "" : name + suffix;
}

bool DocumentTransfer::NameTheCopy() {
    if (v_.DocumentName.ToText().empty()) return true;
    if (!Connect(v_.TargetLibrary)) return false;
    const std::string name = CopyName(v_.SourceName.ToText(), p_.Options().AppendLibraryName());
    const std::string n = Num(v_.DocNumber);
    if (name.empty()) {
        Fail("Error: The name of document #" + n + " cannot be given to its copy: the name column of library " +
             v_.TargetLibrary + " cannot hold \"" + v_.DocumentName.ToText() + "\" - cannot continue");
        return false;
    }
    if (name == v_.DocumentName.ToText()) return true;
    p_.WriteLog("Warning: The name of document #" + n + " is too long for the name column of library " +
                v_.TargetLibrary + " - its copy is named " + name);
    p_.Separator();
    v_.DocumentName = name;
    for (auto& entry : v_.ColumnValues) {
        if (entry.Name == "DOCNAME") entry.Value = name;
    }
    return true;
}

bool DocumentTransfer::RemoveSameNamedDocuments() {
    auto& sql = p_.session.PcdSql;
    if (Cancelled()) return false;
    if (!Connect(v_.TargetLibrary)) return false;
    if (Cancelled()) return false;

    const std::string target = p_.ConnectedLibraryName();
    v_.TargetUniqueNames = core::Program::HasRight(p_.session.ConnectedLibrary, "DOCSParms.UniqueDocNames");
    const std::string name = v_.DocumentName.ToText();
    if (!v_.TargetUniqueNames || v_.PartialCopyCount != 0 || name.empty()) return true;

    p_.WriteLog("UniqueDocNames is enabled in library " + target + " and Document #" + Num(v_.DocNumber) +
                " has not been copied there before - will remove any existing documents named " + name +
                " from target Profile table");
    p_.RunSQL("SELECT DOCNUMBER FROM [OWNER].PROFILE WHERE UPPER(DOCNAME) = '" + core::StripQuotes(core::Upper(name)) +
              "' ORDER BY DOCNUMBER");
    std::vector<int32_t> sameNamed;
    if (sql->RowCount() > 0) {
        do {
            const int32_t number = sql->ColumnValue(1).ToLong();
            if (number != 0) sameNamed.push_back(number);
        } while (sql->NextRow());
    }
    sql->ReleaseResults();
    // Only a copy of this very document may give way, and only once the new
    // one stands; any other document of the name stops the transfer.
    for (int32_t number : sameNamed) {
        if (!IsCopyOfSource(number)) {
            Fail("Error: Document #" + Num(number) + " in library " + target + " is already named " + name +
                 " and is not a copy of Document #" + Num(v_.DocNumber) + " in library " + v_.SourceLibrary +
                 " - cannot continue");
            return false;
        }
        p_.WriteLog("Document #" + Num(number) + " in library " + target + " is a copy of Document #" +
                    Num(v_.DocNumber) + " and will be replaced");
        p_.Separator();
        if (std::find(v_.ReplacedCopies.begin(), v_.ReplacedCopies.end(), number) == v_.ReplacedCopies.end()) {
            v_.ReplacedCopies.push_back(number);
        }
    }
    return true;
}

bool DocumentTransfer::ChooseTargetNumber() {
    auto& s = p_.session;
    const std::string n = Num(v_.DocNumber);
    auto announce = [&](int32_t number) {
        p_.Separator();
        p_.WriteLog("New document #" + Num(number) + " will be assigned");
        p_.Separator();
        return !Cancelled();
    };
    if (v_.EarlierCopy > 0) {
        // The earlier copy's number: taken over once the new document stands
        // and the copy (when it is still there) has made way.
        v_.WantedNumber = v_.EarlierCopy;
        if (v_.EarlierCopyConfirmed &&
            std::find(v_.ReplacedCopies.begin(), v_.ReplacedCopies.end(), v_.EarlierCopy) == v_.ReplacedCopies.end()) {
            v_.ReplacedCopies.push_back(v_.EarlierCopy);
        }
        if (!announce(v_.WantedNumber)) return false;
    } else if (!p_.Options().RetainNumber()) {
        p_.WriteLog("NOT keeping the same number for document #" + n + " - getting a new document number");
        p_.Separator();
    } else {
        p_.ShowStatus("Checking to see if a different document with # " + n + " already exists in library " +
                      v_.TargetLibrary);
        p_.Separator();
        if (!ProfileExists(v_.DocNumber)) {
            p_.WriteLog("Keeping the same number for document # " + n +
                        " if it is available and lower than the next available number.");
            v_.WantedNumber = v_.DocNumber;
            if (!announce(v_.WantedNumber)) return false;
        } else {
            p_.WriteLog("NOT keeping the same number for document # " + n + " - getting a new document number");
            p_.Separator();
        }
    }

    // Where the target refuses a second document of a name, the copies that
    // are to make way give up their name while the new one is built; the
    // rollback gives it back.
    if (v_.TargetUniqueNames) {
        const std::string newName = core::Upper(core::Trim(v_.DocumentName.ToText()));
        for (int32_t number : v_.ReplacedCopies) {
            const std::string current =
                Scalar("SELECT DOCNAME FROM [OWNER].PROFILE WHERE DOCNUMBER = " + Num(number)).ToText();
            if (newName.empty() || core::Upper(core::Trim(current)) != newName) continue;
            v_.ParkedNames[number] = current;
            const std::string parked = current.substr(0, 200) + " (#" + Num(number) + " replaced)";
            p_.RunSQL("UPDATE [OWNER].PROFILE SET DOCNAME = '" + core::DoubleApostrophes(parked) +
                      "' WHERE DOCNUMBER = " + Num(number));
            s.PcdSql->ReleaseResults();
        }
    }

    if (s.CurrentProfile) {
        s.CurrentProfile->Close();
        s.CurrentProfile.reset();
    }
    s.CurrentFolder.reset();
    p_.Separator();
    p_.WriteLog("Identifying form");
    p_.Separator();
    return true;
}

bool DocumentTransfer::ChooseProfileForm() {
    auto& lib = p_.session.ConnectedLibrary;
    const std::string libName = lib->Name();
    if (!v_.SourceFormName.empty()) {
        auto forms = lib->Forms();
        const int32_t count = forms ? forms->Count() : 0;
        for (int32_t i = 1; i <= count; ++i) {
            auto form = forms->Item(i);
            if (form && core::Upper(form->Name()) == core::Upper(v_.SourceFormName)) {
                p_.WriteLog("Assigning Form " + v_.SourceFormName);
                p_.Separator();
                return true;
            }
        }
    }
    bool defaultFound = false;
    std::string defaultForm;
    const std::string application = v_.SourceApplication.ToText();
    if (!application.empty()) {
        core::GoOn(p_, "ChooseProfileForm", [&] {
            auto apps = lib->DocApplications();
            const int32_t count = apps ? apps->Count() : 0;
            for (int32_t i = 1; i <= count; ++i) {
                auto app = apps->Item(i);
                if (!app || core::Upper(app->Name()) != core::Upper(application)) continue;
                auto appForms = app->Forms();
                if (appForms && appForms->Count() >= 1) {
                    auto first = appForms->Item(1);
                    if (first) defaultForm = first->Name();
                    defaultFound = true;
                }
                break;
            }
        });
        if (!defaultForm.empty()) {
            p_.ShowStatus("Default Form is " + defaultForm);
            p_.Separator();
        }
    }
    if (!defaultFound || defaultForm.empty()) {
        Fail("Error: Unable to locate either the Profile Form " + v_.SourceFormName + " or the " + application +
             " default application form - cannot continue");
        return false;
    }
    if (v_.SourceFormName.empty()) {
        p_.WriteLog("Source Form not found in Library " + libName + " - using " + defaultForm + " form instead");
        p_.Separator();
    }
    v_.SourceFormName = defaultForm;
    return true;
}

void DocumentTransfer::EnableLookupEntries() {
    auto& sql = p_.session.PcdSql;
    auto run = [&](const std::string& statement) {
        p_.RunSQL(statement);
        sql->ReleaseResults();
    };
    auto& links = v_.PeopleLinks;
    auto repeats = [&](size_t k) { return k > 0 && links[k].UserId == links[k - 1].UserId; };
    for (size_t k = 0; k < links.size(); ++k) {
        if (repeats(k)) {
            links[k].TargetDisabled = links[k - 1].TargetDisabled;
            continue;
        }
        p_.RunSQL("SELECT DISABLED FROM [OWNER].PEOPLE WHERE USER_ID = '" + core::StripQuotes(links[k].UserId) + "'");
        links[k].TargetDisabled = core::Upper(sql->ColumnValue(1).ToText());
        sql->ReleaseResults();
    }
    for (size_t k = 0; k < links.size(); ++k) {
        if (repeats(k) || !IsSet(links[k].TargetDisabled)) continue;
        v_.LookupsEnabled = true;
        run("UPDATE [OWNER].PEOPLE SET DISABLED = '' WHERE USER_ID = '" + core::StripQuotes(links[k].UserId) + "'");
    }
    if (v_.SourceClientId.empty() || v_.SourceMatterId.empty()) return;
    const std::string client = core::StripQuotes(v_.SourceClientId);
    const std::string matter = core::StripQuotes(v_.SourceMatterId);
    p_.RunSQL("SELECT M.DISABLED, C.DISABLED FROM [OWNER].MATTER M LEFT OUTER JOIN [OWNER].CLIENT C "
              "ON C.SYSTEM_ID = M.CLIENT_ID WHERE C.CLIENT_ID = '" +
              client + "' AND M.MATTER_ID = '" + matter + "'");
    v_.TargetMatterDisabled = core::Trim(sql->ColumnValue(1).ToText());
    v_.TargetClientDisabled = core::Trim(sql->ColumnValue(2).ToText());
    sql->ReleaseResults();
    if (IsSet(v_.TargetClientDisabled)) {
        v_.LookupsEnabled = true;
        run("UPDATE [OWNER].CLIENT SET DISABLED = '' WHERE CLIENT_ID = '" + client + "'");
    }
    if (IsSet(v_.TargetMatterDisabled)) {
        v_.LookupsEnabled = true;
        run("UPDATE [OWNER].MATTER SET DISABLED = '' WHERE MATTER_ID = '" + matter +
            "' AND CLIENT_ID = (SELECT SYSTEM_ID FROM [OWNER].CLIENT WHERE CLIENT_ID = '" + client + "')");
    }
}

bool DocumentTransfer::CreateTargetProfile() {
    auto& s = p_.session;
    auto& profile = s.CurrentProfile;
    const std::string libName = s.ConnectedLibrary->Name();
    const int32_t saveFlags = p_.run.DmSaveFlags;

    p_.ShowStatus("Opening new profile object in library " + libName);
    p_.Separator();
    // The DM client's refusals while the profile is made, opened and filled
    // are logged and passed over; the checks below decide.
    const auto step = [&](auto&& call) { return core::GoOn(p_, "CreateTargetProfile", call); };
    profile.reset();
    step([&] { profile = s.ConnectedLibrary->NewProfile(v_.SourceFormName); });
    if (!profile) {
        Fail("Error: Unable to process new Document in Library " + libName);
        return false;
    }
    auto closeProfile = [&] {
        core::PassOver([&] { profile->Close(); });
        profile.reset();
    };
    core::PassOver([&] {
        auto library = profile->Library();
        p_.WriteLog("Accessing new document profile in library " + (library ? library->Name() : ""));
    });
    int32_t opened = 0;
    step([&] { opened = profile->OpenForEdit(16 + saveFlags); });
    p_.Separator();
    if (opened != 1) {
        p_.WriteLog("Error: Unable to lock the profile object for editing");
        closeProfile();
        v_.TransferResult = 0;
        return false;
    }

    p_.WriteLog("Setting Profile Column Values");
    p_.Separator();
    dm::ColumnsPtr columns;
    int32_t targetCount = 0;
    step([&] {
        columns = profile->Columns();
        targetCount = columns ? columns->Count() : 0;
    });
    // A copy is never made without the name it is to carry.
    bool named = v_.DocumentName.ToText().empty();
    for (int32_t i = 1; i <= v_.ColumnCount; ++i) {
        const auto& entry = v_.ColumnValues[static_cast<size_t>(i)];
        const std::string& name = entry.Name;
        const dm::Variant& value = entry.Value;
        if (name.empty() || IsEmptyText(value)) continue;
        if (name == "SECURITY" || name == "DOCSERVER_LOC" || name == "PATH") continue;
        if (name[0] == 'X' && std::llround(dm::LeadingNumber(name.substr(1))) != 0) continue;
        step([&] {
            dm::ColumnPtr column;
            for (int32_t c = 1; c <= targetCount && !column; ++c) {
                auto candidate = columns->Item(c);
                if (candidate && core::Upper(candidate->Name()) == core::Upper(name)) column = candidate;
            }
            if (!column || column->ReadOnly().ToBool()) return;
            const std::string columnName = column->Name();
            if (columnName == "APP_ID" || columnName == "APPLICATION") v_.SourceApplication = value;
            p_.WriteLog("Setting column " + columnName + " to " + value.ToText());
            if (column->DataType() == 4) {
                column->SetValue(dm::Variant(value.ToDouble()));
            } else {
                column->SetValue(value);
            }
            if (!column->IsValid().ToBool()) {
                p_.WriteLog("Error: Profile column " + name + " from document #" + Num(v_.DocNumber) +
                            " has invalid value " + value.ToText());
                p_.Separator();
            } else if (core::Upper(columnName) == "DOCNAME") {
                named = true;
            }
        });
    }
    p_.Separator();
    if (!named) {
        closeProfile();
        Fail("Error: Library " + libName + " did not take the name \"" + v_.DocumentName.ToText() +
             "\" for the copy of document #" + Num(v_.DocNumber) + " - cannot continue");
        return false;
    }
    NoteCreationTime();
    // The mark comes first, so that whatever the DM creates from here on is
    // found again should the run be killed.
    v_.ArrivalMarkId = WriteArrivalMark(p_, v_.SourceLibrary, v_.DocNumber);
    if (v_.ArrivalMarkId == 0) {
        p_.WriteLog("Error: Unable to record the arrival of document #" + Num(v_.DocNumber) + " in library " +
                    libName + " - cannot continue");
        p_.Separator();
        closeProfile();
        v_.TransferResult = 0;
        return false;
    }
    p_.ShowStatus("Saving Profile Object");
    dm::Variant saved;
    v_.ProfileSaveTried = true;
    step([&] { saved = profile->Save(saveFlags); });
    p_.Separator();
    int32_t number = 0;
    step([&] { number = profile->DocNumber(); });
    if (!saved.ToBool()) {
        // Whatever the DM wrote under a number is this call's to remove.
        if (number > 0) v_.AssignedNumber = number;
        int32_t error = 0;
        std::string description;
        core::PassOver([&] {
            error = profile->ErrorNumber();
            description = profile->ErrorDescription();
        });
        if (error != 0) {
            p_.WriteLog("Error: (#" + Num(error) + " - " + description +
                        ") -  Unable to save the profile object for this document in library " + v_.TargetLibrary);
        } else {
            p_.WriteLog("Error: Unable to save the profile object for document #" + Num(v_.DocNumber) +
                        " in target library " + v_.TargetLibrary);
        }
        p_.Separator();
        closeProfile();
        v_.TransferResult = 0;
        return false;
    }
    if (number <= 0) {
        // Whatever the DM made is found by its mark by the next run.
        closeProfile();
        Fail("Error: Unable to read the number of the new document in library " + libName + " - cannot continue");
        return false;
    }
    v_.AssignedNumber = number;
    if (!NumberArrivalMark(p_, v_.ArrivalMarkId, number)) {
        closeProfile();
        Fail("Error: Unable to record the number of new document #" + Num(number) + " in library " + libName +
             " - cannot continue");
        return false;
    }
    auto library = profile->Library();
    p_.WriteLog("Profile for document #" + Num(number) + " successfully processed to target library " +
                (library ? library->Name() : ""));
    return true;
}

bool DocumentTransfer::FixTargetNumber() {
    auto& profile = p_.session.CurrentProfile;
    v_.TargetDocNumber = v_.AssignedNumber;
    p_.Separator();
    auto versions = profile->Versions();
    auto first = versions && versions->Count() >= 1 ? versions->Item(1) : nullptr;
    if (!first) {
        Fail("Error: Unable to release the first version of document #" + Num(v_.AssignedNumber) + " in library " +
             v_.TargetLibrary);
        return false;
    }
    first->Unlock();
    profile->Close();
    profile.reset();
    // The move to the wanted number waits until the new document stands
    // complete (ReplaceEarlierCopies).
    if (v_.WantedNumber > v_.AssignedNumber) {
        p_.WriteLog("Note: The document number I attempted to assign (" + Num(v_.WantedNumber) +
                    ") is unavailable - will use the number assigned by the application");
        p_.Separator();
        v_.WantedNumber = 0;
    } else if (v_.WantedNumber == v_.AssignedNumber) {
        v_.WantedNumber = 0;
    }
    return true;
}

std::string EmailColumnsStatement(bool oracle, const std::vector<EmailColumn>& columns, int32_t docNumber) {
    // A bare date text is read by the server's language and date format: a
    // day-first server refuses '2020-02-13' and reads '2020-02-01' as the
    // 2nd of January.
    auto isDate = [](const std::string& name) {
        const std::string upper = core::Upper(name);
        return upper == "EMAIL_RECEIVED" || upper == "EMAIL_SENT" || upper == "PD_EMAIL_DATE";
    };
    std::string statement;
    for (const auto& column : columns) {
        if (column.ColumnName.empty()) continue;
        statement += statement.empty() ? "UPDATE [OWNER].PROFILE SET " : ", ";
        if (core::Trim(column.Value).empty()) {
            statement += column.ColumnName + " = NULL";
            continue;
        }
        const std::string value =
            !oracle && isDate(column.ColumnName) ? core::ServerDateText(column.Value) : column.Value;
        statement += column.ColumnName + " = '" + core::StripQuotes(value) + "'";
    }
    if (statement.empty()) return "";
    return statement + " WHERE DOCNUMBER = " + std::to_string(docNumber);
}

bool DocumentTransfer::WriteEmailColumns() {
    if (!v_.IsEmailDocument) return true;
    p_.WriteLog("Processing EMail columns");
    p_.Separator();
    const std::string statement =
        EmailColumnsStatement(core::IsOracle(p_.facts.DatabaseEngine), v_.EmailColumns, v_.TargetDocNumber);
    return statement.empty() || WriteOrFail(statement, "the e-mail columns of the copy");
}

}  // namespace transfer
