#include "lookup/statement_kinds.h"

#include <array>

#include "core/sql_text.h"
#include "core/text.h"

namespace lookup {

namespace {

const std::string kCrLf = "\r\n";
const char kDq = '"';

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void Append(std::string& list, const std::string& item) {
    if (!list.empty()) list += ", ";
    list += item;
}

void PutInFront(std::string& list, const std::string& item) { list = list.empty() ? item : item + ", " + list; }

bool IsDateType(int type) { return type == 1 || type == 2 || type == 8; }

std::string ValuePlaceholder(const ColumnModelRow& r) { return "#" + r.COLNAME + "#"; }

std::string LookupPlaceholder(const ColumnModelRow& r) {
    return "#REF:SELECT " + r.FCOLNAME + " FROM " + r.FTBNAME + " WHERE " + r.CandidateKey + " = '#" + r.COLNAME +
           "#'#";
}

std::string KeySubselect(const ColumnModelRow& r) {
    return r.COLNAME + " = (SELECT " + r.FCOLNAME + " FROM " + r.FTBNAME + " WHERE " + r.CandidateKey + " = '#" +
           r.COLNAME + "#')";
}

std::string DateWrap(const std::string& value, const std::string& quote, bool oracle) {
    if (oracle) return "TO_DATE(" + quote + value + quote + ", 'RRRR-MON-DD HH24:MI:SS')";
    return "TRY_CAST(" + quote + value + quote + " AS DATETIME)";
}

bool Pending(const ColumnModelRow& r) { return core::Trim(r.JoinOperator) == "="; }

// The lists one assembly fills while it visits the rows.
struct Lists {
    std::string PrimaryKeyRef, KeyList, KeyOrderList, NameList;
    std::string KeyFrom, SelectFrom;
    std::string SelectNameList, SelectOtherList;
    std::string KeyConditions;
    std::string SetList, SetChainList;
    std::string InsertColumns, InsertChainColumns, InsertValues, InsertChainValues;
    int KeyCount = 0;
    bool ChainPending = false;
};

class Assembler {
public:
    Assembler(const std::string& table, int32_t engine, const BuildLog& log)
        : mainTable_("[OWNER]." + table), oracle_(core::IsOracle(engine)), log_(log) {
        l_.KeyFrom = mainTable_;
        l_.SelectFrom = mainTable_;
    }

    Lists& lists() { return l_; }

    void PrimaryKeySection(const ColumnModelRow& r) {
        if (IsMain(r) && r.CMSKEY == "P") l_.PrimaryKeyRef = r.TBNAME + "." + r.COLNAME;
    }

    void NameSection(const ColumnModelRow& r) {
        if (!IsMain(r) || !(r.CMSKEY == "N" || r.CMSKEY.empty())) return;
        if (Contains(r.COLNAME, "NAME") || Contains(r.COLNAME, "DESC")) Append(l_.NameList, r.TBNAME + "." + r.COLNAME);
    }

    void KeySection(const ColumnModelRow& r) {
        if (r.IsKey != "Y") return;
        ++l_.KeyCount;
        std::string item = !r.Alias.empty()
                               ? "UPPER(" + r.Alias + "." + r.CandidateKey + ") " + kDq + r.CandidateKey + kDq
                               : "UPPER(" + r.TBNAME + "." + r.COLNAME + ") " + kDq + r.COLNAME + kDq;
        if (l_.KeyCount > 2) {
            PutInFront(l_.KeyList, item);
        } else {
            Append(l_.KeyList, item);
        }
        std::string foreign = core::Trim(r.FTBNAME);
        std::string reference = foreign;
        if (!foreign.empty() && !r.Alias.empty()) reference += " " + r.Alias;
        if (!reference.empty() && !Contains(l_.KeyFrom, reference)) l_.KeyFrom += kCrLf + "LEFT OUTER JOIN " + reference;
        // A key forced to "X" on a column that refers to nothing has no
        // table to join: an ON clause would end the statement's validity.
        if (r.CMSKEY == "X" && !reference.empty()) {
            l_.KeyFrom += " ON " + (r.Alias.empty() ? foreign : r.Alias) + "." + r.FCOLNAME + " = " + r.TBNAME + "." +
                          r.COLNAME;
        }
        std::string order =
            "LTRIM(RTRIM(" + (r.Alias.empty() ? r.TBNAME + "." + r.COLNAME : r.Alias + "." + r.CandidateKey) + "))";
        if (l_.KeyCount >= 2) {
            PutInFront(l_.KeyOrderList, order);
        } else {
            Append(l_.KeyOrderList, order);
        }
    }

    void SelectSection(const ColumnModelRow& r) {
        if (r.CMSKEY == "X" || r.CMSKEY == "F") return;
        std::string item;
        if (!r.Alias.empty()) {
            item = r.Alias + "." + r.COLNAME + " " + kDq + r.CandidateKey + kDq;
        } else if (r.COLNAME == "FORM_DEFINITION" && !oracle_) {
            item = "CAST(" + r.TBNAME + "." + r.COLNAME + " AS VARCHAR)";
        } else {
            item = r.TBNAME + "." + r.COLNAME;
        }
        std::string upper = core::Upper(r.COLNAME);
        if (Contains(upper, "NAME") || Contains(upper, "DESC") || r.CMSKEY == "C") {
            Append(l_.SelectNameList, item);
        } else {
            Append(l_.SelectOtherList, item);
        }
        std::string reference = r.TBNAME;
        if (!r.Alias.empty()) reference += " " + r.Alias;
        if (!Contains(l_.SelectFrom, reference)) {
            bool profileNumber = EndsWith(r.CandidateKey, "DOCNUMBER") && Contains(reference, ".PROFILE ");
            l_.SelectFrom += kCrLf + "LEFT OUTER JOIN " + reference + " ON " + r.Alias + "." +
                             (profileNumber ? std::string("DOCNUMBER") : r.ForeignPrimaryKey) + " = " + r.SourceTable +
                             "." + r.CandidateKey;
        }
    }

    void InsertSection(const ColumnModelRow& r) {
        if (!IsMain(r) && r.IsKey != "Y") return;
        if (r.CMSKEY != "X") {
            if (!(r.CandidateKey.empty() || !r.FTBNAME.empty())) return;
            Append(l_.InsertColumns, r.COLNAME);
            std::string placeholder;
            if (!r.CandidateKey.empty()) {
                placeholder = LookupPlaceholder(r);
                log_("Build SQL Statement Section 1. " + placeholder);
                log_.Separator();
            } else {
                placeholder = ValuePlaceholder(r);
            }
            if (!l_.InsertValues.empty()) l_.InsertValues += ", ";
            l_.InsertValues += IsDateType(CmsTypeValue(r.CMSTYPE)) ? DateWrap(placeholder, quote_, oracle_)
                                                                   : quote_ + placeholder + quote_;
            return;
        }
        if (IsMain(r)) Append(l_.InsertChainColumns, r.COLNAME);
        const std::string placeholder = LookupPlaceholder(r);
        Chain(l_.InsertChainValues, "(" + placeholder + ")", " AND " + r.COLNAME + " = ", r,
              "Build SQL Statement Section 4. ");
    }

    // False when the row's work ends here (a key that is neither a candidate
    // nor a chained key).
    bool ConditionSection(const ColumnModelRow& r) {
        if (r.IsKey != "Y") return true;
        if (r.CMSKEY != "C" && r.CMSKEY != "X") return false;
        std::string condition = !r.CandidateKey.empty()
                                    ? KeySubselect(r)
                                    : r.COLNAME + " = " + quote_ + "#" + r.COLNAME + "#" + quote_;
        if (r.CMSKEY == "X") {
            std::string closing;
            if (!l_.KeyConditions.empty()) {
                if (l_.ChainPending && EndsWith(l_.KeyConditions, ")")) {
                    l_.KeyConditions.pop_back();
                    closing = ")";
                }
                l_.KeyConditions += " AND ";
            }
            l_.KeyConditions += condition + closing;
        } else {
            l_.KeyConditions = l_.KeyConditions.empty() ? condition : condition + " AND " + l_.KeyConditions;
        }
        l_.ChainPending = Pending(r);
        return true;
    }

    void SetSection(const ColumnModelRow& r) {
        if (IsMain(r) && r.COLNAME == "SYSTEM_ID") return;
        if (!IsMain(r) && r.IsKey != "Y") return;
        if (r.CMSKEY != "X") {
            if (!(r.CandidateKey.empty() || !r.FTBNAME.empty())) return;
            std::string value;
            if (r.CMSKEY == "F") {
                value = LookupPlaceholder(r);
                log_("Build SQL Statement Section 3. (" + value + ")");
                log_.Separator();
            } else if (oracle_ && IsDateType(CmsTypeValue(r.CMSTYPE))) {
                value = "TO_DATE(" + quote_ + "#" + r.COLNAME + "#" + quote_ + ", 'RRRR-MON-DD HH24:MI:SS')";
            } else {
                value = quote_ + "#" + r.COLNAME + "#" + quote_;
            }
            if (!l_.SetList.empty()) l_.SetList += ", ";
            l_.SetList += r.COLNAME + " = " + value;
            return;
        }
        Chain(l_.SetChainList, r.COLNAME + " = (" + LookupPlaceholder(r) + ")", " AND ", r,
              "Build SQL Statement Section 2. ");
    }

    void SetQuote(const ColumnModelRow& r) { quote_ = std::string(CmsTypeValue(r.CMSTYPE) == 4 ? 0 : 1, '\''); }

private:
    bool IsMain(const ColumnModelRow& r) const { return r.TBNAME == mainTable_; }

    // A chained key nests into the lookup before it; any other item is one
    // more entry of the list.
    void Chain(std::string& list, const std::string& item, const std::string& linking, const ColumnModelRow& r,
               const std::string& logPrefix) {
        std::string closing;
        std::string marker;
        if (l_.ChainPending && !list.empty()) {
            if (EndsWith(list, ")")) {
                list.pop_back();
                closing = ")";
            }
            if (EndsWith(list, "#")) {
                list.pop_back();
                marker = "#";
            }
            list += linking;
        } else if (!l_.ChainPending && !list.empty()) {
            list += ", ";
        }
        list += item + marker + closing;
        log_(logPrefix + item + marker + closing);
        log_.Separator();
        l_.ChainPending = Pending(r);
    }

    std::string mainTable_;
    bool oracle_;
    const BuildLog& log_;
    std::string quote_ = "'";
    Lists l_;
};

const std::array<const char*, 10> kKinds = {"SELALLKEYSANDNAMES", "SELALLKEYS", "SELKEYSORDERED", "SELECT",
                                            "SELSIDFROMKEY",      "INSERT",     "UPDATE",         "UPDATEFROMKEY",
                                            "DELETE",             "DELETEFROMKEY"};

}  // namespace

void BuildLog::Separator() const { (*this)(std::string(70, '-')); }

bool IsKnownKind(const std::string& kind) {
    for (const char* k : kKinds) {
        if (kind == k) return true;
    }
    return false;
}

AssembledStatement AssembleStatement(const ColumnModel& model, const std::string& table, const std::string& kind,
                                     int32_t engine, const BuildLog& log) {
    const std::string owned = "[OWNER]." + table;
    if (kind == "DELETE") return {AssemblyOutcome::Statement, "DELETE FROM " + owned};
    if (!IsKnownKind(kind)) return {AssemblyOutcome::UnknownKind, ""};

    if (model.empty()) {
        log("Warning: No Link tables found to process");
        log.Separator();
    }
    Assembler a(table, engine, log);
    log("Assembling " + std::to_string(model.size()) + " item(s) for " + kind);
    log.Separator();

    const bool keyKind = kind == "SELALLKEYSANDNAMES" || kind == "SELALLKEYS" || kind == "SELKEYSORDERED";
    const bool conditionKind = kind == "SELSIDFROMKEY" || kind == "UPDATEFROMKEY" || kind == "DELETEFROMKEY";
    for (const ColumnModelRow* row : VisitingOrder(model)) {
        const ColumnModelRow& r = *row;
        a.SetQuote(r);
        if (kind == "SELALLKEYSANDNAMES") {
            a.PrimaryKeySection(r);
            a.NameSection(r);
        }
        if (keyKind) a.KeySection(r);
        if (kind == "SELECT") a.SelectSection(r);
        if (kind == "INSERT") a.InsertSection(r);
        if (conditionKind) {
            if (!a.ConditionSection(r) || kind == "DELETEFROMKEY") continue;
        }
        if (kind == "UPDATE" || kind == "UPDATEFROMKEY" || kind == "SELSIDFROMKEY") a.SetSection(r);
    }

    const Lists& l = a.lists();
    auto made = [](std::string s) { return AssembledStatement{AssemblyOutcome::Statement, std::move(s)}; };
    const AssembledStatement none{AssemblyOutcome::RequiredListEmpty, ""};
    std::string update = "UPDATE " + owned + " SET " + l.SetList + (l.SetChainList.empty() ? "" : ", " + l.SetChainList);
    if (kind == "SELALLKEYSANDNAMES") {
        if (l.KeyList.empty()) return none;
        return made("SELECT " + (l.PrimaryKeyRef.empty() ? "" : l.PrimaryKeyRef + ", ") + l.KeyList +
                    (l.NameList.empty() ? "" : ", " + l.NameList) + " FROM " + l.KeyFrom);
    }
    if (kind == "SELALLKEYS") {
        if (l.KeyList.empty()) return none;
        return made("SELECT " + l.KeyList + " FROM " + l.KeyFrom);
    }
    if (kind == "SELKEYSORDERED") {
        if (l.KeyList.empty()) return none;
        return made("SELECT " + owned + ".SYSTEM_ID, " + l.KeyList + " FROM " + l.KeyFrom + " ORDER BY " +
                    l.KeyOrderList);
    }
    if (kind == "SELECT") {
        if (l.SelectNameList.empty() && l.SelectOtherList.empty()) return none;
        return made("SELECT " + l.SelectNameList +
                    (!l.SelectNameList.empty() && !l.SelectOtherList.empty() ? "," : "") + l.SelectOtherList +
                    " FROM " + l.SelectFrom);
    }
    if (kind == "SELSIDFROMKEY") {
        if (l.KeyConditions.empty()) return none;
        return made("SELECT SYSTEM_ID FROM " + owned + " WHERE " + l.KeyConditions);
    }
    if (kind == "INSERT") {
        if (l.InsertColumns.empty() || l.InsertValues.empty()) return none;
        return made("INSERT INTO " + owned + " (" + l.InsertColumns +
                    (l.InsertChainColumns.empty() ? "" : ", " + l.InsertChainColumns) + ") VALUES(" + l.InsertValues +
                    (l.InsertChainValues.empty() ? "" : ", " + l.InsertChainValues) + ")");
    }
    if (kind == "UPDATE") {
        if (l.SetList.empty()) return none;
        return made(update);
    }
    if (kind == "UPDATEFROMKEY") {
        if (l.SetList.empty() || l.KeyConditions.empty()) return none;
        return made(update + " WHERE " + l.KeyConditions);
    }
    // DELETEFROMKEY
    if (l.KeyConditions.empty()) return none;
    return made("DELETE FROM " + owned + " WHERE " + l.KeyConditions);
}

}  // namespace lookup
