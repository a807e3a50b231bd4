#include "dmsim/site_tool.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "dmclient/dm_error.h"
#include "dmsim/default_site.h"
#include "dmsim/document_maker.h"
#include "dmsim/emulator.h"
#include "dmsim/library_db.h"
#include "dmsim/queue_table.h"
#include "dmsim/site_file.h"
#include "dmsim/site_folder.h"
#include "dmsim/sql_tokenizer.h"
#include "dmsim/tsql_executor.h"

namespace dmsim {

namespace {

constexpr const char* kUsage =
    "usage: dmsite COMMAND ...\n"
    "\n"
    "Creates, inspects, copies and relocates emulated DM sites.\n"
    "\n"
    "commands:\n"
    "  create DIR [--demo] [--language NAME] [--dateformat ORDER]\n"
    "                           a new site: libraries DOCS (primary), ARCHIVE and\n"
    "                           ARCHIVE2; --demo adds people, groups, applications\n"
    "                           and lookup rows, and documents, folders, trustees\n"
    "                           and related items in DOCS; --language and\n"
    "                           --dateformat set the servers' defaults for reading\n"
    "                           date texts (us_english, British, German, French;\n"
    "                           mdy, dmy, ymd, ydm, myd, dym)\n"
    "  add-docs DIR LIBRARY N V S\n"
    "                           adds N documents of V versions of S bytes each\n"
    "                           (application MS WORD, made in every library\n"
    "                           when missing)\n"
    "  sql DIR LIBRARY TEXT     runs the statements of TEXT as the program does, as\n"
    "                           one batch in one session ([OWNER] becomes the\n"
    "                           library's owner), and prints each result\n"
    "                           tab-separated with a header line\n"
    "  queue DIR SOURCE TARGET [DOCNUMBER...]\n"
    "                           queues documents of SOURCE for TARGET (creating\n"
    "                           the queue table when missing); without numbers\n"
    "                           every available document that is not a folder\n"
    "  dump DIR LIBRARY TABLE   prints a table\n"
    "  triggers DIR LIBRARY     lists the triggers the library holds, with their\n"
    "                           tables\n"
    "  relocate DIR             points the stored document-server locations of a\n"
    "                           copied or moved site at its folder DIR; names the\n"
    "                           locations in other folders and leaves them\n"
    "  copy SRC DST             copies a site into DST (new or empty) and\n"
    "                           relocates the copy; run it while no program works\n"
    "                           on SRC\n"
    "  --help                   this text\n";

int Usage(std::ostream& err, const std::string& problem) {
    err << "dmsite: " << problem << "\n\n" << kUsage;
    return 2;
}

std::string ReplaceOwner(std::string statement, const std::string& owner) {
    const std::string marker = "[OWNER]";
    for (size_t pos = 0; (pos = ToUpper(statement).find(marker, pos)) != std::string::npos;) {
        statement.replace(pos, marker.size(), owner);
        pos += owner.size();
    }
    return statement;
}

std::string Cell(const dm::Variant& value) {
    std::string text = value.ToText();
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

// The statements of a batch. A statement word outside parentheses starts
// the next statement unless it belongs to the one before: the SELECT that
// feeds an INSERT or follows UNION, the SET of an UPDATE, the rights a GRANT
// names, the statement an IF guards. A CREATE TRIGGER takes the rest of the
// batch, as on the server. A text that does not split is one statement,
// which reports its own error.
std::vector<std::string> BatchStatements(const std::string& text) {
    static const std::set<std::string> statementWords = {
        "ALTER",  "BEGIN",   "COMMIT", "CREATE", "DECLARE", "DELETE",   "DENY",   "DROP",  "EXEC",
        "EXECUTE", "GRANT",  "IF",     "INSERT", "PRINT",   "REVOKE",   "ROLLBACK", "SELECT", "SET",
        "TRUNCATE", "UPDATE", "USE",   "WHILE",
    };
    TokenizeResult tokens = Tokenize(text);
    const auto& t = tokens.tokens;
    if (tokens.error || t.empty()) return {text};
    std::vector<std::string> statements;
    auto createsTrigger = [&](size_t i) {
        return t[i].upper == "CREATE" && i + 1 < t.size() && t[i + 1].upper == "TRIGGER";
    };
    auto add = [&](size_t from, size_t to) {
        std::string statement = text.substr(from, to - from);
        while (!statement.empty() &&
               (std::isspace(static_cast<unsigned char>(statement.back())) || statement.back() == ';')) {
            statement.pop_back();
        }
        if (!statement.empty()) statements.push_back(statement);
    };
    size_t start = 0;  // the first token of the statement in hand
    std::string kind;
    bool guarded = false, fed = false, set = false;
    int depth = 0, cases = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        const Token& tk = t[i];
        if (tk.kind == TokenKind::LParen) ++depth;
        if (tk.kind == TokenKind::RParen) --depth;
        if (depth != 0) continue;
        if (tk.kind == TokenKind::Semicolon) {
            add(t[start].at, tk.at);
            start = i + 1;
            kind.clear();
            continue;
        }
        if (tk.kind != TokenKind::Word) continue;
        if (tk.upper == "CASE") ++cases;
        if (tk.upper == "END" && cases > 0) --cases;
        if (cases > 0) continue;
        if (tk.upper == "VALUES") fed = true;
        if (i == start || kind.empty() || guarded) {
            if (i == start && createsTrigger(i)) break;
            if (!statementWords.count(tk.upper)) continue;
            kind = tk.upper;
            guarded = kind == "IF";
            fed = set = false;
            continue;
        }
        if (!statementWords.count(tk.upper) || kind == "GRANT" || kind == "REVOKE" || kind == "DENY") continue;
        const std::string& before = t[i - 1].upper;
        if (tk.upper == "SELECT" &&
            ((kind == "INSERT" && !fed) || before == "UNION" || before == "ALL" || before == "EXCEPT" ||
             before == "INTERSECT" || before == "AS")) {
            fed = true;
            continue;
        }
        if (tk.upper == "SET" && kind == "UPDATE" && !set) {
            set = true;
            continue;
        }
        add(t[start].at, tk.at);
        start = i;
        if (createsTrigger(i)) break;
        kind = tk.upper;
        guarded = kind == "IF";
        fed = set = false;
    }
    if (start < t.size()) add(t[start].at, text.size());
    return statements;
}

// Runs one statement and prints its result.
int PrintStatement(dm::IDmSql& sql, const std::string& statement, std::ostream& out, std::ostream& err) {
    int32_t status = sql.Execute(statement);
    if (status != 0) {
        err << "SQL Error #" << sql.ErrorCode() << ": " << sql.ErrorText() << "\n";
        return 1;
    }
    int32_t columns = sql.ColumnCount();
    if (columns == 0) {
        // A session setting changes no rows.
        const bool setting = statement.size() > 3 && ToUpper(statement.substr(0, 3)) == "SET" &&
                             std::isspace(static_cast<unsigned char>(statement[3]));
        if (!setting) out << sql.RowsAffected() << " row(s) affected\n";
        return 0;
    }
    for (int32_t c = 1; c <= columns; ++c) {
        std::string name = sql.ColumnName(c);
        out << (c > 1 ? "\t" : "") << (name.empty() ? "(no column name)" : name);
    }
    out << "\n";
    for (int32_t r = 0; r < sql.RowCount(); ++r) {
        for (int32_t c = 1; c <= columns; ++c) out << (c > 1 ? "\t" : "") << Cell(sql.ColumnValue(c));
        out << "\n";
        sql.NextRow();
    }
    sql.ReleaseResults();
    return 0;
}

// Runs the statements of a text through one emulated SQL object, one
// session, and prints each result; stops at the first that fails.
int RunStatement(Emulator& emulator, const std::string& library, const std::string& text, std::ostream& out,
                 std::ostream& err) {
    const LibrarySpec* spec = emulator.Site().Find(library);
    if (!spec) {
        err << "dmsite: no library named '" << library << "' in the site\n";
        return 1;
    }
    auto sql = emulator.Factory()->CreateSql(dm::kSqlProgId);
    sql->SetLibrary(spec->name);
    for (const auto& statement : BatchStatements(ReplaceOwner(text, spec->owner))) {
        if (int status = PrintStatement(*sql, statement, out, err); status != 0) return status;
    }
    return 0;
}

bool PlainName(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

int Create(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2) return Usage(err, "create needs DIR [--demo] [--language NAME] [--dateformat ORDER]");
    bool demo = false;
    std::string language, dateFormat;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--demo") {
            demo = true;
        } else if ((args[i] == "--language" || args[i] == "--dateformat") && i + 1 < args.size()) {
            (args[i] == "--language" ? language : dateFormat) = args[i + 1];
            ++i;
        } else {
            return Usage(err, "unknown option " + args[i]);
        }
    }
    if (!language.empty() && !FindServerLanguage(language)) return Usage(err, "unknown language " + language);
    if (!dateFormat.empty() && !ReadDateOrder(dateFormat)) return Usage(err, "unknown date format " + dateFormat);
    std::filesystem::path dir = args[1];
    if (std::filesystem::exists(dir / kSiteFileName)) {
        err << "dmsite: a site exists already in " << dir.string() << "\n";
        return 1;
    }
    CreateDefaultSite(dir, demo, language, dateFormat);
    out << "Created " << (demo ? "demo " : "") << "site in " << dir.string() << "\n";
    return 0;
}

int Queue(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 4) return Usage(err, "queue needs DIR SOURCE TARGET [DOCNUMBER...]");
    std::vector<int32_t> numbers;
    for (size_t i = 4; i < args.size(); ++i) {
        char* end = nullptr;
        long n = std::strtol(args[i].c_str(), &end, 10);
        if (args[i].empty() || *end != '\0' || n <= 0 || n > INT32_MAX) {
            return Usage(err, "not a document number: " + args[i]);
        }
        numbers.push_back(static_cast<int32_t>(n));
    }
    Emulator emulator(args[1]);
    const LibrarySpec* source = emulator.Site().Find(args[2]);
    const LibrarySpec* target = emulator.Site().Find(args[3]);
    if (!source || !target) {
        err << "dmsite: no library named '" << (source ? args[3] : args[2]) << "' in the site\n";
        return 1;
    }
    if (EqualsNoCase(source->name, target->name)) {
        err << "dmsite: a library cannot be its own target\n";
        return 1;
    }
    LibraryDb& db = emulator.Library(source->name);
    if (!QueueTableExists(db)) InstallQueueTable(db);
    int32_t added = QueueDocuments(db, target->name, numbers);
    out << added << " document(s) queued in " << source->name << " for " << target->name << "\n";
    return 0;
}

int Triggers(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) return Usage(err, "triggers needs DIR LIBRARY");
    Emulator emulator(args[1]);
    const LibrarySpec* spec = emulator.Site().Find(args[2]);
    if (!spec) {
        err << "dmsite: no library named '" << args[2] << "' in the site\n";
        return 1;
    }
    if (spec->IsOracle()) {
        err << "dmsite: " << spec->name << " is an Oracle library; its statements are only recorded\n";
        return 1;
    }
    out << "TRIGGER\tTABLE\n";
    for (const auto& trigger : emulator.Library(spec->name).Tsql().Triggers().List()) {
        out << trigger.name << "\t" << trigger.table << "\n";
    }
    return 0;
}

bool ParseCount(const std::string& text, long low, long high, long& out) {
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < low || n > high) return false;
    out = n;
    return true;
}

// Bytes of a benchmark file: readable, different for every document and
// version.
std::string FileBytes(long size, int32_t seed) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(size));
    uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1;
    while (bytes.size() < static_cast<size_t>(size)) {
        state = state * 1664525u + 1013904223u;
        bytes += static_cast<char>('a' + (state >> 24) % 26);
        if (bytes.size() % 64 == 63) bytes += '\n';
    }
    bytes.resize(static_cast<size_t>(size));
    return bytes;
}

int AddDocs(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 6) return Usage(err, "add-docs needs DIR LIBRARY N V S");
    long count = 0, versions = 0, size = 0;
    if (!ParseCount(args[3], 1, 1000000, count)) return Usage(err, "N must be a number from 1 to 1000000: " + args[3]);
    if (!ParseCount(args[4], 1, 99, versions)) return Usage(err, "V must be a number from 1 to 99: " + args[4]);
    if (!ParseCount(args[5], 0, 64L << 20, size)) return Usage(err, "S must be a number of bytes up to 64 MB: " + args[5]);
    Emulator emulator(args[1]);
    const LibrarySpec* spec = emulator.Site().Find(args[2]);
    if (!spec) {
        err << "dmsite: no library named '" << args[2] << "' in the site\n";
        return 1;
    }
    // Every library gets the application, so the documents can be copied
    // into any other library of a fresh site.
    for (const LibrarySpec& library : emulator.Site().libraries) {
        if (library.IsOracle()) continue;
        LibraryDb& db = emulator.Library(library.name);
        if (AsInt(db.QueryValue("SELECT COUNT(*) FROM " + db.Table("APPS") + " WHERE APPLICATION = 'MS WORD'")) ==
            0) {
            db.Exec("INSERT INTO " + db.Table("APPS") +
                        " (SYSTEM_ID, APPLICATION, DESCRIPTION, DEFAULT_EXTENSION, DISABLED) "
                        "VALUES (?, 'MS WORD', 'Word document', 'DOC', '')",
                    {int64_t{db.NextSystemKey()}});
        }
    }
    DocumentMaker docs(emulator, spec->name);
    int32_t first = 0, last = 0;
    for (long i = 1; i <= count; ++i) {
        DocumentSpec doc;
        doc.name = "Benchmark document " + std::to_string(i);
        for (long v = 1; v <= versions; ++v) {
            doc.versions.push_back(Version(FileBytes(size, static_cast<int32_t>(i * 100 + v))));
        }
        last = docs.Create(doc);
        if (first == 0) first = last;
    }
    out << count << " document(s) with " << versions << " version(s) of " << size << " byte(s) added to "
        << spec->name << " (#" << first << " to #" << last << ")\n";
    return 0;
}

void PrintRelocation(const Relocation& relocation, std::ostream& out) {
    for (const auto& p : relocation.rewritten) {
        out << p.library << " " << p.table << "." << p.column << ": " << p.value << " -> " << p.newValue << " ("
            << p.rows << " row(s))\n";
    }
    for (const auto& p : relocation.left) {
        out << p.library << " " << p.table << "." << p.column << ": " << p.value
            << " left as it is, in another folder (" << p.rows << " row(s))\n";
    }
    if (relocation.formerFolders.empty()) {
        out << "The site's locations point into its folder " << relocation.folder << " already\n";
    } else {
        out << "Site relocated to " << relocation.folder << "\n";
    }
}

}  // namespace

int RunSiteTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return Usage(err, "no command");
    const std::string& command = args[0];
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            out << kUsage;
            return 0;
        }
        if (command == "create") return Create(args, out, err);
        if (command == "queue") return Queue(args, out, err);
        if (command == "add-docs") return AddDocs(args, out, err);
        if (command == "triggers") return Triggers(args, out, err);
        if (command == "sql") {
            if (args.size() != 4) return Usage(err, "sql needs DIR LIBRARY STATEMENT");
            Emulator emulator(args[1]);
            return RunStatement(emulator, args[2], args[3], out, err);
        }
        if (command == "relocate") {
            if (args.size() != 2) return Usage(err, "relocate needs DIR");
            PrintRelocation(RelocateSite(args[1]), out);
            return 0;
        }
        if (command == "copy") {
            if (args.size() != 3) return Usage(err, "copy needs SRC DST");
            Relocation relocation = CopySite(args[1], args[2]);
            out << "Copied site " << args[1] << " to " << args[2] << "\n";
            PrintRelocation(relocation, out);
            return 0;
        }
        if (command == "dump") {
            if (args.size() != 4) return Usage(err, "dump needs DIR LIBRARY TABLE");
            if (!PlainName(args[3])) return Usage(err, "not a table name: " + args[3]);
            Emulator emulator(args[1]);
            return RunStatement(emulator, args[2], "SELECT * FROM [OWNER]." + args[3], out, err);
        }
        return Usage(err, "unknown command " + command);
    } catch (const dm::DmError& e) {
        err << "dmsite: " << e.Description() << "\n";
    } catch (const std::exception& e) {
        err << "dmsite: " << e.what() << "\n";
    }
    return 1;
}

}  // namespace dmsim
