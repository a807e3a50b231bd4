#pragma once
// Turns a column model into the statement of one kind: the lookup list
// ("SELALLKEYSANDNAMES") and the builder's reading, writing and deleting
// kinds. The writing kinds carry placeholders for their caller:
// "#COLNAME#" for a value and "#REF:<select>#" for a value that the select
// looks up.

#include <cstdint>
#include <functional>
#include <string>

#include "lookup/column_model.h"

namespace lookup {

// Where the builder's lines go (the program's log in the program).
struct BuildLog {
    std::function<void(const std::string&)> line;
    void operator()(const std::string& text) const {
        if (line) line(text);
    }
    void Separator() const;
};

enum class AssemblyOutcome {
    Statement,
    // The kind is known but the model gave nothing for a list it needs.
    RequiredListEmpty,
    UnknownKind,
};

struct AssembledStatement {
    AssemblyOutcome outcome = AssemblyOutcome::UnknownKind;
    std::string statement;
};

// kind in upper case; table without owner; engine the connected library's
// DatabaseEngine (2 and 5 Oracle).
AssembledStatement AssembleStatement(const ColumnModel& model, const std::string& table, const std::string& kind,
                                     int32_t engine, const BuildLog& log);

// Whether the kind reads the dictionary at all ("DELETE" does not) and
// whether it is one the assembly knows.
bool IsKnownKind(const std::string& kind);

}  // namespace lookup
