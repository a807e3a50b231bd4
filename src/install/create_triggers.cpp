// DorvaneCreateTriggers: the definition the window shows, looked up in the
// source library, becomes the queue trigger on PROFILE.

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "install/definition_store.h"
#include "install/install_steps.h"
#include "install/library_setup.h"
#include "install/queue_table_statements.h"
#include "install/queue_trigger.h"
#include "install/trigger_criteria.h"
#include "platform/ui_host.h"

namespace install {

namespace {

const char* ListName(Criterion criterion) {
    switch (criterion) {
        case Criterion::DocumentTypes: return "Document Type";
        case Criterion::Applications: return "Application";
        case Criterion::Authors: return "Author";
        case Criterion::Typists: return "Typist";
        case Criterion::Matters: return "Matter";
        case Criterion::Groups: break;
    }
    return "Group";
}

const std::string kCrLf = "\r\n";

}  // namespace

LibrarySetup::Lookup LibrarySetup::ResolveTarget(TriggerSelection& selection) {
    const std::string target = w_.TargetLibraryCombo.Text();
    if (IsEveryLibrary(target)) {
        selection.targetSystemId = 0;
        return Lookup::Ready;
    }
    const std::string source = p_.ConnectedLibraryName();
    int32_t id = 0;
    if (target != source) {
        p_.RunSQL(TargetLookupStatement(target));
        auto& sql = core::Require(p_.session.PcdSql);
        const bool listed = sql->RowCount() > 0;
        id = static_cast<int32_t>(dm::LeadingNumber(sql->ColumnValue(1).ToText()));
        sql->ReleaseResults();
        // The trigger queues only for the source's remote libraries.
        if (!listed) {
            Message("Error: The target library " + target + " is missing from the remote libraries (REMOTE_LIBRARIES) "
                    "of library " + source + " - cannot continue!",
                    platform::mb::Critical);
            return Lookup::Refused;
        }
    }
    // The source's own row in its remote libraries has the key 0.
    if (id == 0) {
        Message("Error: You cannot select the source library as the target library - cannot continue!",
                platform::mb::Critical);
        return Lookup::Refused;
    }
    selection.targetSystemId = id;
    return Lookup::Ready;
}

LibrarySetup::Lookup LibrarySetup::ResolveCriteria(const TriggerDefinition& definition, TriggerSelection& selection) {
    selection.storageCode = StorageCodeOf(definition.storageType);
    selection.includeStorageType = definition.includeStorageType;
    const std::string library = p_.ConnectedLibraryName();
    // Every unknown entry is refused: one left out would widen an excluding
    // list, or narrow an including one, without a word.
    std::string refusals;
    for (Criterion criterion : kCriteria) {
        const CriterionList& list = ListOf(definition, criterion);
        const std::vector<std::string> entries = CriterionEntries(list.text);
        if (entries.empty()) continue;
        ResolvedCriterion resolved{criterion, {}, list.include};
        std::string unknown;
        for (const std::string& entry : entries) {
            p_.RunSQL(CriterionLookupStatement(criterion, entry));
            auto& sql = core::Require(p_.session.PcdSql);
            const dm::Variant first = sql->ColumnValue(1);
            if (CriterionEntryFound(criterion, sql->RowCount(), first)) {
                resolved.ids.push_back(static_cast<int32_t>(dm::LeadingNumber(first.ToText())));
            } else {
                p_.WriteLog(std::string("Warning: ") + ListName(criterion) + " entry '" + entry +
                            "' was not found in library " + library);
                unknown += (unknown.empty() ? "" : ", ") + entry;
            }
            sql->ReleaseResults();
        }
        if (!unknown.empty()) {
            const std::string list = ListName(criterion);
            refusals += (refusals.empty() ? "" : kCrLf) +
                        (resolved.ids.empty() ? "None of the entries of the " + list + " list were found"
                                              : "Some entries of the " + list + " list were not found") +
                        " in library " + library + " (" + unknown + ")";
        }
        selection.criteria.push_back(std::move(resolved));
    }
    if (refusals.empty()) return Lookup::Ready;
    Message("Error: " + refusals + " - cannot continue!", platform::mb::Critical);
    return Lookup::Refused;
}

std::optional<TriggerSelection> LibrarySetup::CheckDefinition() {
    const std::string name = p_.ConnectedLibraryName();
    p_.WriteLog("Checking options for building the trigger");
    p_.Separator();
    // What the settings table cannot keep would come back shortened, or not
    // at all: the trigger is made only from a definition that is kept.
    if (p_.facts.SettingsTableExists) {
        if (const std::optional<OverlongItem> overlong = OverlongItemOf(w_)) {
            Message("Error: The trigger definition is too long to keep in library " + name + ": the " +
                        overlong->title + " holds " + std::to_string(overlong->length) + " characters, " +
                        std::to_string(overlong->length - kKeptTextLength) + " more than the " +
                        std::to_string(kKeptTextLength) + " its settings table keeps - cannot continue!",
                    platform::mb::Critical);
            return std::nullopt;
        }
    }
    TriggerSelection selection;
    if (ResolveTarget(selection) == Lookup::Refused) return std::nullopt;
    if (ResolveCriteria(DefinitionOf(w_), selection) == Lookup::Refused) return std::nullopt;
    p_.WriteLog("Finished checking and setting trigger options");
    p_.Separator();

    p_.RunSQL("SELECT COUNT(*) FROM [OWNER].DOCSTABLE WHERE TABLE_NAME = 'PROFILE'");
    auto& sql = core::Require(p_.session.PcdSql);
    const double profile = dm::LeadingNumber(sql->ColumnValue(1).ToText());
    sql->ReleaseResults();
    if (profile == 0) {
        const std::string text = "Error: Table PROFILE not found in dictionary - cannot create trigger";
        p_.ShowStatus(text);
        Message(text, platform::mb::Critical);
        return std::nullopt;
    }
    // Kept before the trigger is made: the definition the window shows next
    // is the one the trigger was made from, and a later "&Make Triggers"
    // never quietly brings an older one back.
    replacedDefinition_ = KeepDefinition(p_, w_);
    if (!replacedDefinition_) {
        const std::string text =
            "Error: The trigger definition could not be kept in the settings table of library " + name +
            " - cannot continue!";
        p_.WriteLog(text);
        Message(text, platform::mb::Critical);
        return std::nullopt;
    }
    return selection;
}

std::string LibrarySetup::RestoreReplacedDefinition() {
    if (!replacedDefinition_) return "";
    const StoredDefinition previous = std::move(*replacedDefinition_);
    replacedDefinition_.reset();
    if (PutBackDefinition(p_, previous)) return "";
    p_.WriteLog("Error: The definition of the trigger in force could not be put back in the settings table of "
                "library " + p_.ConnectedLibraryName());
    return "; the library keeps the definition shown, not the one of the trigger in force";
}

void LibrarySetup::NoteStandingTrigger() {
    const std::optional<bool> listed = TriggerListed(p_, kTriggerName);
    if (!listed) {
        triggerState_.clear();
    } else {
        triggerState_ = *listed ? "nothing was changed: the previous trigger stays in force"
                                : "nothing was changed: the library has no queue trigger";
    }
}

bool LibrarySetup::InstallTrigger(const TriggerSelection& selection, bool dropFirst) {
    const std::string name = p_.ConnectedLibraryName();
    if (dropFirst) {
        p_.WriteLog("Dropping any existing trigger for PROFILE");
        p_.Separator();
        if (!RunStep(p_, TriggerDropStatement(p_.facts.DatabaseEngine)) &&
            TriggerListed(p_, kTriggerName).value_or(true)) {
            p_.WriteLog(std::string("Error: The trigger ") + kTriggerName + " could not be dropped in library " +
                        name + " - see the SQL error above");
            triggerState_ = std::string("the trigger ") + kTriggerName +
                            " could not be dropped: the previous trigger stays in force" + RestoreReplacedDefinition();
            return false;
        }
    }
    p_.ShowStatus("Creating new trigger on PROFILE Table");
    p_.Separator();
    // The create statement may have been refused: the trigger counts only
    // once the database answered without an error and lists it.
    if (RunStep(p_, QueueTriggerText(selection, p_.facts.DatabaseEngine, p_.build.BuildDate)) &&
        TriggerListed(p_, kTriggerName).value_or(false)) {
        return true;
    }
    p_.WriteLog(std::string("Error: The trigger ") + kTriggerName + " was not created in library " + name +
                " - see the SQL error above");
    triggerState_ = "the library has no queue trigger now";
    return false;
}

bool LibrarySetup::DorvaneCreateTriggers(const std::string& sourceLibrary) {
    const std::string remembered = p_.ConnectedLibraryName();
    bool result = false;
    triggerState_.clear();
    replacedDefinition_.reset();
    try {
        [&] {
            if (!p_.ConnectLibrary(sourceLibrary) || !p_.TableExists(kQueueTable)) return;
            const std::optional<TriggerSelection> selection = CheckDefinition();
            if (!selection) {
                NoteStandingTrigger();
                return;
            }
            result = InstallTrigger(*selection, true);
        }();
    } catch (const dm::DmError& e) {
        p_.ShowStatus("Error: Unable to process this item");
        p_.ReportError(e);
        result = false;
        triggerState_.clear();
    }
    core::PassOver([&] { p_.ConnectLibrary(remembered); });
    return result;
}

}  // namespace install
