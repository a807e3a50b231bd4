// The new folder object and its profile columns: the folder's name and the
// user by rule, the rest taken over from the source folder's profile.

#include <optional>
#include <string>

#include "core/program.h"
#include "core/text.h"
#include "folders/folder_creation.h"
#include "folders/folder_support.h"

namespace folders {

bool FolderCreation::OpenNewFolder() {
    auto& s = p_.session;
    auto& connected = s.ConnectedLibrary;

    // A DM client that cannot make the object is answered below.
    core::PassOver(
        [&] { p_.ShowStatus("Creating folder object " + Quoted(name_) + " in library " + connected->Name()); });
    core::GoOn(p_, "CreateFolder", [&] { s.CurrentFolder = connected->NewFolder(); });
    p_.Separator();
    if (!s.CurrentFolder) {
        p_.WriteLog("Error: Unable to open new folder " + Quoted(name_) + " in " + connected->Name());
        return false;
    }

    p_.WriteLog("Setting Folder Name to " + Quoted(name_));
    p_.Separator();
    s.CurrentFolder->SetTitle(name_);
    s.CurrentFolder->SetName(name_);

    core::PassOver([&] {
        p_.WriteLog("Opening Profile Object for folder " + Quoted(s.CurrentFolder->Name()) + " in library " +
                    core::Require(s.CurrentFolder->Library())->Name());
    });
    core::GoOn(p_, "CreateFolder", [&] { s.CurrentProfile = s.CurrentFolder->AsProfile(); });
    p_.Separator();
    if (!s.CurrentProfile) {
        p_.WriteLog("Error: Unable to open folder profile object in library " +
                    core::Require(s.CurrentFolder->Library())->Name());
    }
    return true;
}

void FolderCreation::ReadSourceColumns() {
    auto& s = p_.session;
    const double start = TimeOfDay();
    const std::string sourceText = std::to_string(sourceFolder_);

    dm::ProfilePtr syncProfile;
    if (s.DmLibraries) {
        const int32_t count = s.DmLibraries->Count();
        for (int32_t i = 1; i <= count; ++i) {
            auto lib = core::Require(s.DmLibraries->Item(i));
            if (lib->Name() != sourceLibrary_) continue;
            p_.WriteLog("Opening SyncProfile object #" + sourceText + " in library " + sourceLibrary_);
            syncProfile = lib->GetProfile(sourceFolder_);
            p_.Separator();
            break;
        }
    }
    if (!syncProfile) {
        p_.WriteLog("Unable to open SyncProfile object #" + sourceText + " in library " + sourceLibrary_);
        p_.Separator();
        return;
    }

    const std::string number = std::to_string(syncProfile->DocNumber());
    const std::string libraryName = core::Require(syncProfile->Library())->Name();
    p_.WriteLog("SyncProfile object #" + number + " opened in library " + libraryName);
    p_.Separator();
    p_.WriteLog("Retrieving profile columns from document #" + number + " in library " + libraryName);
    auto columns = core::Require(syncProfile->Columns());
    const int32_t count = columns->Count();
    for (int32_t i = 1; i <= count; ++i) {
        auto column = core::Require(columns->Item(i));
        const dm::Variant readOnly = column->ReadOnly();
        if (readOnly.IsNull() || readOnly.ToBool()) continue;
        sourceColumns_.emplace_back(column->Name(), column->Value());
    }
    syncProfile->Close();
    syncProfile.reset();
    p_.Separator();
    TimingNote(start);
}

bool FolderCreation::FillProfileColumns() {
    auto& s = p_.session;
    if (!s.CurrentProfile) {
        p_.WriteLog("Warning: The profile object is no longer set - cannot continue");
        return false;
    }
    auto columns = core::Require(s.CurrentProfile->Columns());
    const int32_t count = columns->Count();
    if (count == 0) {
        p_.WriteLog("Warning: The profile object contains no columns - cannot continue");
        return false;
    }

    auto userId = [&] {
        if (!userIdRead_) {
            userId_ = s.ConnectedLibrary->UserId();
            userIdRead_ = true;
        }
        return userId_;
    };

    const double start = TimeOfDay();
    bool announced = false;
    for (int32_t i = 1; i <= count; ++i) {
        auto column = core::Require(columns->Item(i));
        const std::string columnName = core::Upper(column->Name());
        std::optional<dm::Variant> value;
        if (columnName == "DOCNAME") {
            value = name_;
        } else if (columnName == "AUTHOR_ID" || columnName == "TYPIST_ID") {
            if (IsEmptyValue(column->Value())) value = userId();
        } else if (columnName == "APP_ID") {
            value = "FOLDER";
        } else if (!sourceColumns_.empty() && IsEmptyValue(column->Value())) {
            for (const auto& [sourceName, sourceValue] : sourceColumns_) {
                if (core::Upper(sourceName) == columnName) {
                    value = sourceValue;
                    break;
                }
            }
        }
        if (!value || value->IsNull() || IsEmptyValue(*value)) continue;

        if (!announced) {
            p_.WriteLog("Setting Standard profile columns for folder " + Quoted(name_));
            p_.Separator();
            announced = true;
        }
        p_.WriteLog("Setting column " + column->Name() + " to " + value->ToText());
        // A value the DM client refuses leaves the column as it was.
        core::GoOn(p_, "CreateFolder", [&] { column->SetValue(*value); });
    }

    p_.Separator();
    core::PassOver([&] { p_.WriteLog("Form for this folder is: " + s.CurrentProfile->FormName()); });
    p_.Separator();
    core::PassOver(
        [&] { p_.WriteLog("Library for this folder is: " + core::Require(s.CurrentProfile->Library())->Name()); });
    p_.Separator();
    TimingNote(start);
    return true;
}

}  // namespace folders
