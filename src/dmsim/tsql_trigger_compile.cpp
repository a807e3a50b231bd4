// The compiler of trigger bodies: statements to instructions, with every
// condition, expression and data statement handed to the dialect
// translation.

#include <set>
#include <unordered_set>

#include "dmsim/text.h"
#include "dmsim/tsql_trigger_program.h"

namespace dmsim {

namespace {

struct Failed {
    SqlFailure failure;
};

[[noreturn]] void Fail(int32_t code, std::string message) { throw Failed{SqlFailure{code, std::move(message)}}; }

[[noreturn]] void NotSupported(const std::string& what) {
    Fail(sqlerr::kNotSupported, "The emulator does not run " + what + " in a trigger.");
}

[[noreturn]] void SyntaxNear(const std::string& text) {
    Fail(sqlerr::kSyntax, "Incorrect syntax near '" + text + "'.");
}

// Words that begin a statement: an expression or a data statement runs up
// to the next of them outside parentheses.
const std::unordered_set<std::string>& StatementWords() {
    static const std::unordered_set<std::string> words = {
        "ALTER",  "BEGIN",   "BREAK",   "CLOSE",  "COMMIT",   "CONTINUE", "CREATE",    "DEALLOCATE",
        "DECLARE", "DELETE", "DROP",    "ELSE",   "END",      "EXEC",     "EXECUTE",   "FETCH",
        "GOTO",   "GRANT",   "IF",      "INSERT", "MERGE",    "OPEN",     "PRINT",     "RAISERROR",
        "RETURN", "ROLLBACK", "SAVE",   "SELECT", "SET",      "THROW",    "TRUNCATE",  "UPDATE",
        "USE",    "WAITFOR", "WHILE",
    };
    return words;
}

class Compiler {
public:
    Compiler(const std::vector<Token>& tokens, DialectOptions options) : t_(tokens), o_(std::move(options)) {}

    std::shared_ptr<const TriggerProgram> Body(size_t b, size_t e) {
        e_ = e;
        size_t i = b;
        if (SkipSemicolons(i) == e_) SyntaxNear("AS");
        while (SkipSemicolons(i) < e_) i = Statement(i);
        for (const auto& [at, label] : gotos_) {
            auto found = labels_.find(label);
            if (found == labels_.end()) {
                Fail(133, "A GOTO statement references the label '" + label + "' but the label has not been declared.");
            }
            p_->code[at].target = found->second;
        }
        return p_;
    }

private:
    bool IsWord(size_t i, std::string_view upper) const {
        return i < e_ && t_[i].kind == TokenKind::Word && t_[i].upper == upper;
    }
    std::string Near(size_t i) const { return i < e_ ? t_[i].text : t_[e_ - 1].text; }
    bool IsLabel(size_t i) const {
        return i + 1 < e_ && t_[i].kind == TokenKind::Word && t_[i + 1].kind == TokenKind::Colon;
    }
    size_t SkipSemicolons(size_t& i) const {
        while (i < e_ && t_[i].kind == TokenKind::Semicolon) ++i;
        return i;
    }

    // The end of the piece that starts at b: the next statement word or
    // label outside parentheses and CASE ... END. An INSERT keeps the
    // SELECT that feeds it (none after VALUES); UPDATE(column) is a test,
    // not a statement.
    size_t PieceEnd(size_t b, bool insert = false) const {
        int depth = 0, cases = 0;
        bool selectTaken = !insert;
        for (size_t i = b; i < e_; ++i) {
            const Token& tk = t_[i];
            if (tk.kind == TokenKind::LParen) ++depth;
            if (tk.kind == TokenKind::RParen) --depth;
            if (depth != 0) continue;
            if (tk.kind == TokenKind::Semicolon || IsLabel(i)) return i;
            if (tk.kind != TokenKind::Word) continue;
            if (tk.upper == "CASE") ++cases;
            if (cases > 0) {
                if (tk.upper == "END") --cases;
                continue;
            }
            if (tk.upper == "VALUES") selectTaken = true;
            if (tk.upper == "SELECT" && !selectTaken) {
                selectTaken = true;
                continue;
            }
            if (tk.upper == "UPDATE" && i + 1 < e_ && t_[i + 1].kind == TokenKind::LParen) continue;
            if (StatementWords().count(tk.upper)) return i;
        }
        return e_;
    }

    void CheckVariables(size_t b, size_t e) const {
        for (size_t i = b; i < e; ++i) {
            if (t_[i].kind != TokenKind::Variable) continue;
            const std::string& v = t_[i].text;
            if (v.rfind("@@", 0) == 0) {
                if (ToUpper(v) != "@@FETCH_STATUS" && ToUpper(v) != "@@TRANCOUNT") NotSupported(v);
                continue;
            }
            if (!p_->variables.count(VariableParameter(v))) {
                Fail(137, "Must declare the scalar variable \"" + v + "\".");
            }
        }
    }

    std::string Condition(size_t b, size_t e) {
        CheckVariables(b, e);
        for (size_t k = b; k + 3 < e; ++k) {
            if (IsWord(k, "UPDATE") && t_[k + 1].kind == TokenKind::LParen && t_[k + 3].kind == TokenKind::RParen) {
                p_->updateTests.insert(ToUpper(t_[k + 2].text));
            }
        }
        auto r = TranslateCondition(t_, b, e, o_);
        if (auto f = std::get_if<SqlFailure>(&r)) throw Failed{*f};
        return std::get<std::string>(r);
    }

    std::string Value(size_t b, size_t e) {
        CheckVariables(b, e);
        auto r = TranslateExpression(t_, b, e, o_);
        if (auto f = std::get_if<SqlFailure>(&r)) throw Failed{*f};
        return std::get<std::string>(r);
    }

    Translation Translated(size_t b, size_t e) {
        CheckVariables(b, e);
        auto r = TranslateTokens(t_, b, e, o_);
        if (auto f = std::get_if<SqlFailure>(&r)) throw Failed{*f};
        return std::get<Translation>(r);
    }

    size_t Emit(TriggerInstruction in) {
        in.handler = tries_.empty() ? -1 : tries_.back();
        in.inCatch = catches_.empty() ? -1 : catches_.back();
        p_->code.push_back(std::move(in));
        return p_->code.size() - 1;
    }

    std::string Name(size_t i) const {
        if (i >= e_ || (t_[i].kind != TokenKind::Word && t_[i].kind != TokenKind::QuotedName)) SyntaxNear(Near(i));
        return ToUpper(t_[i].text);
    }

    size_t Statement(size_t i);
    size_t Block(size_t i);
    size_t Try(size_t i);
    size_t Declare(size_t i);
    size_t Set(size_t i);
    size_t Fetch(size_t i);
    size_t SelectAssign(size_t i);
    size_t Transaction(size_t i);

    const std::vector<Token>& t_;
    // The declared variables join the options as they are declared.
    DialectOptions o_;
    size_t e_ = 0;
    std::shared_ptr<TriggerProgram> p_ = std::make_shared<TriggerProgram>();
    std::map<std::string, size_t> labels_;
    std::vector<std::pair<size_t, std::string>> gotos_;
    std::vector<int64_t> tries_;
    std::vector<int64_t> catches_;
};

size_t Compiler::Statement(size_t i) {
    SkipSemicolons(i);
    if (i >= e_) SyntaxNear(Near(i));
    if (IsLabel(i)) {
        std::string label = ToUpper(t_[i].text);
        if (!labels_.emplace(label, p_->code.size()).second) {
            Fail(132, "The label '" + label + "' has already been declared. Label names must be unique within a "
                      "query batch or stored procedure.");
        }
        return i + 2;
    }
    const Token& tk = t_[i];
    if (tk.kind != TokenKind::Word) SyntaxNear(tk.text);
    const std::string& w = tk.upper;
    if (w == "BEGIN") {
        if (IsWord(i + 1, "TRY")) return Try(i);
        if (IsWord(i + 1, "TRAN") || IsWord(i + 1, "TRANSACTION")) return Transaction(i);
        if (IsWord(i + 1, "CATCH")) SyntaxNear("CATCH");
        return Block(i);
    }
    if (w == "DECLARE") return Declare(i);
    if (w == "SET") return Set(i);
    if (w == "FETCH") return Fetch(i);
    if (w == "OPEN" || w == "CLOSE" || w == "DEALLOCATE") {
        if (IsWord(i + 1, "GLOBAL")) NotSupported("global cursors");
        TriggerInstruction in;
        in.op = w == "OPEN" ? TriggerInstruction::Op::Open
                            : w == "CLOSE" ? TriggerInstruction::Op::Close : TriggerInstruction::Op::Deallocate;
        in.name = Name(i + 1);
        Emit(std::move(in));
        return i + 2;
    }
    if (w == "IF" || w == "WHILE") {
        const size_t top = p_->code.size();
        size_t end = PieceEnd(i + 1);
        if (end == i + 1) SyntaxNear(w);
        TriggerInstruction test;
        test.op = TriggerInstruction::Op::JumpUnless;
        test.sql = Condition(i + 1, end);
        size_t at = Emit(std::move(test));
        size_t next = Statement(end);
        if (w == "WHILE") {
            TriggerInstruction back;
            back.op = TriggerInstruction::Op::Jump;
            back.target = top;
            Emit(std::move(back));
        }
        p_->code[at].target = p_->code.size();
        if (w == "IF" && IsWord(SkipSemicolons(next), "ELSE")) {
            TriggerInstruction over;
            over.op = TriggerInstruction::Op::Jump;
            const size_t jump = Emit(std::move(over));
            p_->code[at].target = p_->code.size();
            next = Statement(next + 1);
            p_->code[jump].target = p_->code.size();
        }
        return next;
    }
    if (w == "GOTO") {
        TriggerInstruction in;
        in.op = TriggerInstruction::Op::Jump;
        gotos_.emplace_back(Emit(std::move(in)), Name(i + 1));
        return i + 2;
    }
    if (w == "INSERT" || w == "DELETE") {
        size_t end = PieceEnd(i + 1, w == "INSERT");
        Translation tr = Translated(i, end);
        if (tr.kind != Translation::Kind::Command) SyntaxNear(w);
        TriggerInstruction in;
        in.op = TriggerInstruction::Op::Exec;
        in.sql = tr.sql;
        in.write = tr.write;
        Emit(std::move(in));
        return end;
    }
    if (w == "SELECT" && i + 1 < e_ && t_[i + 1].kind == TokenKind::Variable) return SelectAssign(i);
    if (w == "SAVE" || w == "COMMIT" || w == "ROLLBACK") return Transaction(i);
    if (w == "ELSE" || w == "END") SyntaxNear(tk.text);
    if (StatementWords().count(w)) NotSupported(w + " statements");
    SyntaxNear(tk.text);
}

size_t Compiler::Block(size_t i) {
    size_t k = i + 1;
    if (IsWord(SkipSemicolons(k), "END")) SyntaxNear("END");
    while (!IsWord(SkipSemicolons(k), "END")) {
        if (k >= e_) SyntaxNear("BEGIN");
        k = Statement(k);
    }
    if (IsWord(k + 1, "TRY") || IsWord(k + 1, "CATCH")) SyntaxNear(t_[k + 1].text);
    return k + 1;
}

// BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH: an error inside the TRY
// block goes on at the CATCH block; without one the CATCH block is jumped.
size_t Compiler::Try(size_t i) {
    const int64_t id = static_cast<int64_t>(p_->catchStarts.size());
    p_->catchStarts.push_back(0);
    tries_.push_back(id);
    size_t k = i + 2;
    if (IsWord(SkipSemicolons(k), "END")) SyntaxNear("END TRY");
    while (!(IsWord(SkipSemicolons(k), "END") && IsWord(k + 1, "TRY"))) {
        if (k >= e_) SyntaxNear("BEGIN TRY");
        k = Statement(k);
    }
    tries_.pop_back();
    TriggerInstruction over;
    over.op = TriggerInstruction::Op::Jump;
    size_t jump = Emit(std::move(over));
    k += 2;
    if (!IsWord(SkipSemicolons(k), "BEGIN") || !IsWord(k + 1, "CATCH")) SyntaxNear("END TRY");
    p_->catchStarts[static_cast<size_t>(id)] = p_->code.size();
    k += 2;
    catches_.push_back(id);
    while (!(IsWord(SkipSemicolons(k), "END") && IsWord(k + 1, "CATCH"))) {
        if (k >= e_) SyntaxNear("BEGIN CATCH");
        k = Statement(k);
    }
    catches_.pop_back();
    p_->code[jump].target = p_->code.size();
    return k + 2;
}

size_t Compiler::Declare(size_t i) {
    size_t k = i + 1;
    if (k < e_ && t_[k].kind == TokenKind::Variable) {
        const std::string name = VariableParameter(t_[k].text);
        if (t_[k].text.rfind("@@", 0) == 0) SyntaxNear(t_[k].text);
        ++k;
        if (IsWord(k, "AS")) ++k;
        if (k >= e_ || t_[k].kind != TokenKind::Word) SyntaxNear(Near(k));
        const std::string type = t_[k].upper;
        ++k;
        TriggerVariable v;
        if (type == "INT" || type == "INTEGER") {
            v.type = TriggerVariable::Type::Int;
        } else if (type == "VARCHAR" || type == "CHAR" || type == "NVARCHAR" || type == "NCHAR") {
            v.type = TriggerVariable::Type::Text;
            v.length = 1;
            if (k < e_ && t_[k].kind == TokenKind::LParen) {
                if (k + 2 >= e_ || t_[k + 1].kind != TokenKind::Number || t_[k + 2].kind != TokenKind::RParen) {
                    NotSupported("a text variable without a whole-number length");
                }
                v.length = static_cast<int32_t>(std::stol(t_[k + 1].text));
                k += 3;
            }
        } else if (type == "DATETIME") {
            v.type = TriggerVariable::Type::DateTime;
        } else {
            NotSupported("variables of type " + t_[k - 1].text);
        }
        if (k < e_ && (t_[k].kind == TokenKind::Comma || (t_[k].kind == TokenKind::Operator && t_[k].text == "="))) {
            NotSupported("DECLARE with more than a name and a type");
        }
        ColumnType seen;
        seen.kind = v.type == TriggerVariable::Type::Int    ? ColumnType::Kind::Int
                    : v.type == TriggerVariable::Type::Text ? ColumnType::Kind::Text
                                                            : ColumnType::Kind::Date;
        seen.length = v.length;
        o_.variables[name] = seen;
        if (!p_->variables.emplace(name, v).second) {
            Fail(134, "The variable name '" + t_[i + 1].text +
                          "' has already been declared. Variable names must be unique within a query batch or "
                          "stored procedure.");
        }
        return k;
    }
    // DECLARE name CURSOR [LOCAL] [FORWARD_ONLY] [STATIC] FOR query
    TriggerInstruction in;
    in.op = TriggerInstruction::Op::DeclareCursor;
    in.name = Name(k);
    ++k;
    if (!IsWord(k, "CURSOR")) NotSupported("DECLARE of anything but a variable or a cursor");
    ++k;
    while (IsWord(k, "LOCAL") || IsWord(k, "FORWARD_ONLY") || IsWord(k, "STATIC")) ++k;
    if (!IsWord(k, "FOR")) NotSupported("the cursor option " + Near(k));
    ++k;
    if (!IsWord(k, "SELECT")) SyntaxNear(Near(k));
    size_t end = PieceEnd(k + 1);
    Translation tr = Translated(k, end);
    if (tr.kind != Translation::Kind::Query) SyntaxNear("SELECT");
    in.sql = tr.sql;
    Emit(std::move(in));
    return end;
}

size_t Compiler::Set(size_t i) {
    size_t k = i + 1;
    if (k < e_ && t_[k].kind == TokenKind::Variable) {
        const std::string& v = t_[k].text;
        if (v.rfind("@@", 0) == 0) SyntaxNear(v);
        CheckVariables(k, k + 1);
        if (k + 1 >= e_ || t_[k + 1].kind != TokenKind::Operator || t_[k + 1].text != "=") SyntaxNear(v);
        size_t end = PieceEnd(k + 2);
        TriggerInstruction in;
        in.op = TriggerInstruction::Op::Assign;
        in.name = VariableParameter(v);
        in.sql = Value(k + 2, end);
        Emit(std::move(in));
        return end;
    }
    const std::string option = Name(k);
    TriggerInstruction in;
    in.op = TriggerInstruction::Op::SetOption;
    in.name = option;
    if (option == "NOCOUNT" || option == "XACT_ABORT") {
        if (IsWord(k + 1, "ON")) in.number = 1;
        else if (!IsWord(k + 1, "OFF")) SyntaxNear(option);
    } else if (option == "LOCK_TIMEOUT") {
        size_t n = k + 1;
        bool negative = n < e_ && t_[n].kind == TokenKind::Operator && t_[n].text == "-";
        if (negative) ++n;
        if (n >= e_ || t_[n].kind != TokenKind::Number) SyntaxNear(option);
        in.number = std::stoll(t_[n].text) * (negative ? -1 : 1);
        k = n - 1;
    } else {
        NotSupported("SET " + option);
    }
    Emit(std::move(in));
    return k + 2;
}

// FETCH NEXT FROM cursor INTO @a, @b ...
size_t Compiler::Fetch(size_t i) {
    if (!IsWord(i + 1, "NEXT")) NotSupported("FETCH without NEXT");
    if (!IsWord(i + 2, "FROM")) SyntaxNear(Near(i + 2));
    TriggerInstruction in;
    in.op = TriggerInstruction::Op::Fetch;
    in.name = Name(i + 3);
    size_t k = i + 4;
    if (!IsWord(k, "INTO")) NotSupported("FETCH without INTO");
    for (++k;; k += 2) {
        if (k >= e_ || t_[k].kind != TokenKind::Variable) SyntaxNear(Near(k));
        CheckVariables(k, k + 1);
        if (t_[k].text.rfind("@@", 0) == 0) SyntaxNear(t_[k].text);
        in.into.push_back(VariableParameter(t_[k].text));
        if (k + 1 >= e_ || t_[k + 1].kind != TokenKind::Comma) break;
    }
    Emit(std::move(in));
    return k + 1;
}

// SELECT @a = expression, ... [FROM ...]: the query without the targets;
// the variables take the values of its last row, and keep theirs when it
// answers none.
size_t Compiler::SelectAssign(size_t i) {
    const size_t end = PieceEnd(i + 1);
    CheckVariables(i, end);
    size_t listEnd = end;
    int depth = 0;
    for (size_t k = i + 1; k < end && listEnd == end; ++k) {
        if (t_[k].kind == TokenKind::LParen) ++depth;
        if (t_[k].kind == TokenKind::RParen) --depth;
        if (depth != 0 || t_[k].kind != TokenKind::Word) continue;
        for (const char* word : {"FROM", "WHERE", "GROUP", "HAVING", "ORDER", "UNION"}) {
            if (t_[k].upper == word) listEnd = k;
        }
    }
    TriggerInstruction in;
    in.op = TriggerInstruction::Op::AssignSelect;
    std::vector<Token> query{t_[i]};
    bool itemStart = true;
    depth = 0;
    for (size_t k = i + 1; k < listEnd; ++k) {
        const Token& tk = t_[k];
        if (itemStart) {
            if (tk.kind != TokenKind::Variable || k + 1 >= listEnd || t_[k + 1].kind != TokenKind::Operator ||
                t_[k + 1].text != "=") {
                Fail(141, "A SELECT statement that assigns a value to a variable must not be combined with "
                          "data-retrieval operations.");
            }
            if (tk.text.rfind("@@", 0) == 0) SyntaxNear(tk.text);
            in.into.push_back(VariableParameter(tk.text));
            itemStart = false;
            ++k;
            continue;
        }
        if (tk.kind == TokenKind::LParen) ++depth;
        if (tk.kind == TokenKind::RParen) --depth;
        if (depth == 0 && tk.kind == TokenKind::Comma) itemStart = true;
        query.push_back(tk);
    }
    if (itemStart) SyntaxNear(Near(listEnd));
    query.insert(query.end(), t_.begin() + static_cast<std::ptrdiff_t>(listEnd),
                 t_.begin() + static_cast<std::ptrdiff_t>(end));
    auto r = TranslateTokens(query, 0, query.size(), o_);
    if (auto f = std::get_if<SqlFailure>(&r)) throw Failed{*f};
    if (std::get<Translation>(r).kind != Translation::Kind::Query) SyntaxNear("SELECT");
    in.sql = std::get<Translation>(r).sql;
    Emit(std::move(in));
    return end;
}

// BEGIN TRAN[SACTION] [name], COMMIT [TRAN[SACTION] | WORK] [name],
// ROLLBACK [TRAN[SACTION] | WORK] [name], SAVE TRAN[SACTION] name. Inside a
// trigger a BEGIN nests in the transaction of the change and its name is
// not used; a ROLLBACK with a name goes back to that savepoint.
size_t Compiler::Transaction(size_t i) {
    const std::string& w = t_[i].upper;
    size_t k = i + 1;
    if (IsWord(k, "TRAN") || IsWord(k, "TRANSACTION") || (w != "BEGIN" && w != "SAVE" && IsWord(k, "WORK"))) ++k;
    const bool named = k < e_ && (t_[k].kind == TokenKind::Word || t_[k].kind == TokenKind::QuotedName) &&
                       !StatementWords().count(t_[k].upper) && !IsLabel(k);
    if (k < e_ && t_[k].kind == TokenKind::Variable) NotSupported("transaction names in variables");
    TriggerInstruction in;
    using Op = TriggerInstruction::Op;
    in.op = w == "BEGIN"    ? Op::Begin
            : w == "COMMIT" ? Op::Commit
            : w == "SAVE"   ? Op::Save
            : named         ? Op::RollbackTo
                            : Op::Rollback;
    if (w == "SAVE" && !named) SyntaxNear(t_[i].text);
    if (named) in.name = ToUpper(t_[k++].text);
    Emit(std::move(in));
    return k;
}

}  // namespace

std::variant<std::shared_ptr<const TriggerProgram>, SqlFailure> CompileTriggerBody(const std::vector<Token>& tokens,
                                                                                  size_t begin, size_t end,
                                                                                  const DialectOptions& options) {
    try {
        return Compiler(tokens, options).Body(begin, end);
    } catch (const Failed& failed) {
        return failed.failure;
    }
}

}  // namespace dmsim
