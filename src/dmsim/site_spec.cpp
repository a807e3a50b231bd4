#include "dmsim/site_spec.h"

#include <algorithm>

namespace dmsim {

bool LibrarySpec::HasColumn(OptionalColumn c) const {
    return std::find(columns.begin(), columns.end(), c) != columns.end();
}

int32_t LibrarySpec::RowEngine() const {
    if (databaseEngine != kEngineNotDetermined) return databaseEngine;
    return engine != kEngineNotDetermined ? engine : kEngineSqlServer;
}

int32_t LibrarySpec::EffectiveEngine() const {
    return engine != kEngineNotDetermined ? engine : RowEngine();
}

bool LibrarySpec::IsOracle() const {
    int32_t e = EffectiveEngine();
    return e == kEngineOracle || e == kEngineOracleAlt;
}

const LibrarySpec* SiteSpec::Find(const std::string& name) const {
    for (const auto& lib : libraries) {
        if (EqualsNoCase(lib.name, name)) return &lib;
    }
    return nullptr;
}

LibrarySpec* SiteSpec::Find(const std::string& name) {
    return const_cast<LibrarySpec*>(static_cast<const SiteSpec*>(this)->Find(name));
}

std::vector<LibraryProperty> DefaultLibraryProperties() {
    return {
        {"User.DocDelete", true},
        {"User.CreateFolder", true},
        {"User.SaveToRemoteLibrary", true},
        {"User.CreateDocument", true},
        {"User.CreateRelation", true},
        {"User.CreateNewVersions", true},
        {"User.ViewUnsecured", true},
        {"User.ManageRootFolders", true},
        {"User.MaxSubVersions", int32_t{26}},
        {"DOCSParms.UniqueDocNames", false},
    };
}

}  // namespace dmsim
