#include "removal/component_files.h"

#include <system_error>

#include "core/file_paths.h"
#include "core/program.h"
#include "core/sql_text.h"
#include "core/text.h"
#include "removal/sql_reads.h"

namespace fs = std::filesystem;

namespace removal {

namespace {

// Compared without regard to letter case, as the DM's paths are.
std::string Comparable(const std::string& path) {
    std::string text = core::NativePath(core::Trim(path)).lexically_normal().generic_string();
    return core::Upper(text);
}

}  // namespace

ComponentFileGuard::ComponentFileGuard(core::Program& program, int32_t docNumber)
    : p_(program), docNumber_(docNumber) {
    p_.RunSQL("SELECT LOCATION FROM [OWNER].DOCSERVERS");
    if (RowCount(p_) > 0) {
        do {
            std::string location = Comparable(ColumnText(p_, 1));
            if (location.empty()) continue;
            if (location.back() != '/') location += '/';
            locations_.push_back(location);
        } while (NextRow(p_));
    }
    Release(p_);
}

bool ComponentFileGuard::InsideStorage(const std::string& path) const {
    const std::string file = Comparable(path);
    for (const auto& location : locations_) {
        if (file.size() > location.size() && file.compare(0, location.size(), location) == 0) return true;
    }
    return false;
}

bool ComponentFileGuard::ComparesWithoutCase() {
    if (withoutCase_) return *withoutCase_;
    withoutCase_ = false;
    // Oracle compares texts as they are.
    if (core::IsOracle(p_.facts.DatabaseEngine)) return false;
    // Texts written in a statement take the database's collation, which the
    // DM's columns have.
    withoutCase_ = p_.RunSQL("SELECT CASE WHEN 'A' = 'a' THEN 1 ELSE 0 END") && ColumnNumber(p_, 1) == 1;
    Release(p_);
    return *withoutCase_;
}

bool ComponentFileGuard::MayRemove(const std::string& path, const std::string& fileName) {
    if (!InsideStorage(path)) {
        p_.WriteLog("Warning: " + path + " lies outside the document storage of library " + p_.ConnectedLibraryName() +
                    " - not removed");
        p_.Separator();
        return false;
    }
    // The file name in any letter case. Where texts compare without case,
    // PATH itself finds every spelling, through an index on it (however
    // large the library); elsewhere only the upper-cased column does.
    const std::string name = core::SqlLiteral(core::Upper(core::Trim(fileName)));
    const std::string sameName = ComparesWithoutCase() ? "C.PATH = " + name : "UPPER(C.PATH) = " + name;
    p_.RunSQL("SELECT P.DOCNUMBER, P.DOCSERVER_LOC, P.PATH, C.PATH FROM [OWNER].PROFILE P, [OWNER].COMPONENTS C "
              "WHERE P.DOCNUMBER = C.DOCNUMBER AND P.DOCNUMBER <> " +
              std::to_string(docNumber_) + " AND " + sameName);
    std::string user;
    const std::string wanted = Comparable(path);
    if (RowCount(p_) > 0) {
        do {
            if (Comparable(ColumnText(p_, 2) + ColumnText(p_, 3) + ColumnText(p_, 4)) == wanted) {
                user = ColumnWhole(p_, 1);
                break;
            }
        } while (NextRow(p_));
    }
    Release(p_);
    if (user.empty()) return true;
    p_.WriteLog("Warning: " + path + " is also a component of document #" + user + " - not removed");
    p_.Separator();
    return false;
}

std::vector<std::pair<std::string, std::string>> ReadComponentFiles(core::Program& p) {
    std::vector<std::pair<std::string, std::string>> files;
    if (RowCount(p) > 0) {
        do {
            files.emplace_back(ColumnText(p, 1) + ColumnText(p, 2) + ColumnText(p, 3), ColumnText(p, 3));
        } while (NextRow(p));
    }
    Release(p);
    return files;
}

}  // namespace removal
