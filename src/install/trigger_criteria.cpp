#include "install/trigger_criteria.h"

#include "core/sql_text.h"
#include "core/text.h"

namespace install {

namespace {

std::string Quoted(const std::string& value) { return core::SqlLiteral(value); }

}  // namespace

const CriterionList& ListOf(const TriggerDefinition& definition, Criterion criterion) {
    switch (criterion) {
        case Criterion::DocumentTypes: return definition.documentTypes;
        case Criterion::Applications: return definition.applications;
        case Criterion::Authors: return definition.authors;
        case Criterion::Typists: return definition.typists;
        case Criterion::Matters: return definition.matters;
        case Criterion::Groups: break;
    }
    return definition.groups;
}

std::vector<std::string> CriterionEntries(const std::string& text) {
    std::vector<std::string> entries;
    if (text.empty()) return entries;
    const std::string trimmed = core::Trim(text);
    if (trimmed.find(',') == std::string::npos) {
        entries.push_back(core::Upper(trimmed));
        return entries;
    }
    size_t start = 0;
    for (;;) {
        size_t comma = trimmed.find(',', start);
        std::string piece = core::Trim(trimmed.substr(start, comma == std::string::npos ? std::string::npos
                                                                                          : comma - start));
        if (!piece.empty()) entries.push_back(core::Upper(piece));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return entries;
}

std::string CriterionLookupStatement(Criterion criterion, const std::string& entry) {
    const std::string head = "SELECT SYSTEM_ID FROM [OWNER].";
    switch (criterion) {
        case Criterion::DocumentTypes:
            return head + "DOCUMENTTYPES WHERE UPPER(TYPE_ID) = " + Quoted(entry);
        case Criterion::Applications:
            return head + "APPS WHERE UPPER(APPLICATION) = " + Quoted(entry);
        case Criterion::Authors:
        case Criterion::Typists:
            return head + "PEOPLE WHERE UPPER(USER_ID) = " + Quoted(entry);
        case Criterion::Groups:
            return head + "GROUPS WHERE UPPER(GROUP_ID) = " + Quoted(entry);
        case Criterion::Matters:
            break;
    }
    const size_t colon = entry.find(':');
    if (colon == std::string::npos) return head + "MATTER WHERE UPPER(MATTER_ID) = " + Quoted(entry);
    const std::string client = core::Upper(core::Trim(entry.substr(0, colon)));
    const std::string matter = core::Upper(core::Trim(entry.substr(colon + 1)));
    // Client ids are compared the way the matter ids are, whatever their
    // letter case; IN keeps two clients that differ only in case from
    // failing the lookup.
    return head + "MATTER WHERE UPPER(MATTER_ID) = " + Quoted(matter) +
           " AND CLIENT_ID IN (SELECT SYSTEM_ID FROM [OWNER].CLIENT WHERE UPPER(CLIENT_ID) = " + Quoted(client) +
           ")";
}

bool CriterionEntryFound(Criterion criterion, int32_t rowCount, const dm::Variant& firstColumn) {
    if (criterion == Criterion::DocumentTypes) return rowCount > 0 && firstColumn.ToDouble() != 0;
    return rowCount != 0;
}

bool IsEveryLibrary(const std::string& targetLibrary) {
    return targetLibrary.empty() || targetLibrary == kAllEntries;
}

std::string TargetLookupStatement(const std::string& targetLibrary) {
    return "SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE UPPER(LIBRARY_NAME) = " +
           Quoted(core::Upper(targetLibrary));
}

std::string StorageCodeOf(const std::string& storageType) {
    if (storageType.empty() || storageType == kAllEntries) return "";
    return storageType.substr(0, 1);
}

}  // namespace install
