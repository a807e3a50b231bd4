// DorvaneCreateTriggers: the definition the window shows, looked up in the
// source library, becomes the queue trigger on PROFILE.

#include "core/dm_calls.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "install/definition_store.h"
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

void Release(core::Program& p) {
    if (auto& sql = p.session.PcdSql) sql->ReleaseResults();
}

}  // namespace

LibrarySetup::Lookup LibrarySetup::ResolveTarget(TriggerSelection& selection) {
    const std::string target = w_.TargetLibraryCombo.Text();
    if (IsEveryLibrary(target)) {
        selection.targetSystemId = 0;
        return Lookup::Ready;
    }
    int32_t id = 0;
    if (target != p_.ConnectedLibraryName()) {
        p_.RunSQL(TargetLookupStatement(target));
        auto& sql = core::Require(p_.session.PcdSql);
        id = static_cast<int32_t>(dm::LeadingNumber(sql->ColumnValue(1).ToText()));
        sql->ReleaseResults();
    }
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
                            "' was not found in library " + p_.ConnectedLibraryName() + " - it is left out");
                unknown += (unknown.empty() ? "" : ", ") + entry;
            }
            sql->ReleaseResults();
        }
        // A list none of whose entries exists would drop its test and queue
        // every document: refused instead.
        if (resolved.ids.empty()) {
            Message(std::string("Error: None of the entries of the ") + ListName(criterion) +
                        " list were found in library " + p_.ConnectedLibraryName() + " (" + unknown +
                        ") - cannot continue!",
                    platform::mb::Critical);
            return Lookup::Refused;
        }
        selection.criteria.push_back(std::move(resolved));
    }
    return Lookup::Ready;
}

// The create statement may have been refused: the trigger counts only once
// the database answered without an error and lists it.
bool LibrarySetup::TriggerInPlace() {
    auto& sql = core::Require(p_.session.PcdSql);
    const int32_t code = sql->ErrorCode();
    const bool oracle = core::IsOracle(p_.facts.DatabaseEngine);
    const bool ran = code == 0 || code == 9 || (oracle && code == 3);
    sql->ReleaseResults();
    if (!ran) return false;
    if (oracle) {
        p_.RunSQL(std::string("SELECT COUNT(*) FROM ALL_TRIGGERS WHERE OWNER = '[OWNER]' AND TRIGGER_NAME = '") +
                  kTriggerName + "'");
    } else {
        p_.RunSQL(std::string("select count(*) from sysobjects where id = object_id('[OWNER].") + kTriggerName +
                  "') and sysstat & 0xf = 8");
    }
    const bool listed = dm::LeadingNumber(sql->ColumnValue(1).ToText()) > 0;
    sql->ReleaseResults();
    return listed;
}

bool LibrarySetup::DorvaneCreateTriggers(const std::string& sourceLibrary) {
    const std::string remembered = p_.ConnectedLibraryName();
    bool result = false;
    try {
        [&] {
            if (!p_.ConnectLibrary(sourceLibrary) || !p_.TableExists(kQueueTable)) return;
            const std::string name = p_.ConnectedLibraryName();
            p_.WriteLog("Checking options for building the trigger");
            p_.Separator();
            TriggerSelection selection;
            if (ResolveTarget(selection) == Lookup::Refused) return;
            if (ResolveCriteria(DefinitionOf(w_), selection) == Lookup::Refused) return;
            p_.WriteLog("Finished checking and setting trigger options");
            p_.Separator();

            p_.RunSQL("SELECT COUNT(*) FROM [OWNER].DOCSTABLE WHERE TABLE_NAME = 'PROFILE'");
            auto& sql = core::Require(p_.session.PcdSql);
            const double profile = dm::LeadingNumber(sql->ColumnValue(1).ToText());
            sql->ReleaseResults();
            if (profile == 0) {
                p_.ShowStatus("Error: Table PROFILE not found in dictionary - cannot create trigger");
                return;
            }

            p_.WriteLog("Dropping any existing trigger for PROFILE");
            p_.Separator();
            p_.RunSQL(TriggerDropStatement(p_.facts.DatabaseEngine));
            Release(p_);
            p_.ShowStatus("Creating new trigger on PROFILE Table");
            p_.Separator();
            p_.RunSQL(QueueTriggerText(selection, p_.facts.DatabaseEngine, p_.build.BuildDate));
            result = TriggerInPlace();
            if (!result) {
                p_.WriteLog(std::string("Error: The trigger ") + kTriggerName + " was not created in library " + name +
                            " - see the SQL error above");
            }
        }();
    } catch (const dm::DmError& e) {
        p_.ShowStatus("Error: Unable to process this item");
        p_.ReportError(e);
        result = false;
    }
    core::PassOver([&] { p_.ConnectLibrary(remembered); });
    return result;
}

}  // namespace install
