#pragma once
// The column model of one statement build: the table's own columns as the
// data dictionary describes them, followed by the key columns of every table
// they refer to (and of the tables those refer to through their keys), each
// with the alias, join and order number the assembly needs.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace lookup {

struct ColumnModelRow {
    std::string COLNAME;
    // "[OWNER]." and the owning table; on a chained key row the alias of the
    // row that refers to it.
    std::string TBNAME;
    std::string CMSKEY;
    std::string CMSTYPE;
    std::string FCOLNAME;
    // "[OWNER]." and the referenced table; empty when the column refers to
    // nothing.
    std::string FTBNAME;
    std::string CandidateKey;
    std::string Alias;
    std::string JoinOperator;
    std::string IsKey;
    int64_t OrderNumber = 0;
    std::string ForeignPrimaryKey;
    std::string SourceTable;
};

using ColumnModel = std::vector<ColumnModelRow>;

// Two capital letters from "AA"; "AS" and "BY" are never handed out, as they
// read as SQL words.
class AliasCounter {
public:
    // Throws std::length_error once "ZZ" has been handed out.
    const std::string& Current() const;
    void Advance();

private:
    std::string alias_ = "AA";
    bool exhausted_ = false;
};

// The column dictionary of a table: QZ_ tables keep theirs apart.
std::string ColumnDictionary(const std::string& table);

// The numeric value of a type code; a text that is not a number is 0.
int CmsTypeValue(const std::string& cmsType);

// The rows in the order the assembly visits them: ascending order number,
// equal numbers in model order.
std::vector<const ColumnModelRow*> VisitingOrder(const ColumnModel& model);

}  // namespace lookup
