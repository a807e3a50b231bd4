#pragma once
// Whether a statement of the program reads a whole table of an emulated
// library or looks its rows up through an index: SQLite's query plan of the
// statement, read without running it.

#include <sstream>
#include <string>

#include "dmsim/library_db.h"
#include "dmsim/tsql_executor.h"

namespace test_support {

// The plan of a statement as the program sends it ([OWNER] substituted),
// one step a line.
inline std::string QueryPlan(dmsim::LibraryDb& db, const std::string& statement) {
    std::string text;
    for (const auto& step : db.Tsql().QueryPlan(statement)) text += step + "\n";
    return text;
}

// Whether the plan reads every row of the table (named as the statement
// names it: by its alias where it has one), or every entry of one of its
// indexes.
inline bool ReadsWholeTable(const std::string& plan, const std::string& table) {
    std::istringstream lines(plan);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string step, name;
        words >> step >> name;
        if (step != "SCAN") continue;
        if (name == "TABLE") words >> name;
        // The owner's schema may stand before the name.
        if (name.substr(name.rfind('.') + 1) == table) return true;
    }
    return false;
}

}  // namespace test_support
