// The assembly of each statement kind from a column model, and the alias
// counter, without a library.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/column_model.h"
#include "lookup/statement_kinds.h"

namespace lookup {
namespace {

TEST(AliasCounterTest, SkipsTheTwoSqlWordsAndWrapsIntoTheNextLetter) {
    // n-th alias handed out (from 1) and what it is.
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "AA"}, {18, "AR"}, {19, "AT"}, {25, "AZ"}, {26, "BA"}, {49, "BX"}, {50, "BZ"}, {51, "CA"}};
    AliasCounter counter;
    int n = 1;
    for (const auto& [at, alias] : expected) {
        while (n < at) {
            counter.Advance();
            ++n;
        }
        EXPECT_EQ(counter.Current(), alias) << "alias number " << at;
    }
}

TEST(AliasCounterTest, RefusesToHandOutAnAliasPastZZ) {
    AliasCounter counter;
    // 26 * 26 pairs less AS and BY.
    for (int i = 1; i < 674; ++i) counter.Advance();
    EXPECT_EQ(counter.Current(), "ZZ");
    counter.Advance();
    EXPECT_THROW(counter.Current(), std::length_error);
}

ColumnModelRow Row(std::string col, std::string cmsKey, int64_t order, std::string type = "0") {
    ColumnModelRow r;
    r.COLNAME = std::move(col);
    r.TBNAME = "[OWNER].T";
    r.CMSKEY = std::move(cmsKey);
    r.CMSTYPE = std::move(type);
    r.OrderNumber = order;
    r.SourceTable = "T";
    r.JoinOperator = " =* ";
    if (r.CMSKEY == "C" || r.CMSKEY == "X") r.IsKey = "Y";
    return r;
}

std::string Assemble(const ColumnModel& model, const std::string& kind, int32_t engine = 1) {
    auto made = AssembleStatement(model, "T", kind, engine, BuildLog{});
    return made.statement;
}

TEST(StatementKindsTest, ThirdAndFourthKeysGoInFrontOfTheKeyList) {
    ColumnModel model = {Row("SYSTEM_ID", "P", 1), Row("K1", "C", 2), Row("K2", "C", 3), Row("K3", "C", 4),
                         Row("K4", "C", 5)};
    auto u = [](const std::string& k) { return "UPPER([OWNER].T." + k + ") \"" + k + "\""; };
    auto o = [](const std::string& k) { return "LTRIM(RTRIM([OWNER].T." + k + "))"; };
    EXPECT_EQ(Assemble(model, "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].T.SYSTEM_ID, " + u("K4") + ", " + u("K3") + ", " + u("K1") + ", " + u("K2") +
                  " FROM [OWNER].T");
    EXPECT_EQ(Assemble(model, "SELKEYSORDERED"),
              "SELECT [OWNER].T.SYSTEM_ID, " + u("K4") + ", " + u("K3") + ", " + u("K1") + ", " + u("K2") +
                  " FROM [OWNER].T ORDER BY " + o("K4") + ", " + o("K3") + ", " + o("K2") + ", " + o("K1"));
    model.resize(4);
    EXPECT_EQ(Assemble(model, "SELALLKEYS"), "SELECT " + u("K3") + ", " + u("K1") + ", " + u("K2") + " FROM [OWNER].T");
}

TEST(StatementKindsTest, NamesComeOnlyFromPlainColumnsOfTheMainTableSpelledInUpperCase) {
    ColumnModel model = {Row("SYSTEM_ID", "P", 1), Row("GROUP_NAME", "C", 2), Row("FULL_NAME", "N", 3),
                         Row("DESCRIPTION", "", 4), Row("group_name", "N", 5)};
    EXPECT_EQ(Assemble(model, "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].T.SYSTEM_ID, UPPER([OWNER].T.GROUP_NAME) \"GROUP_NAME\", [OWNER].T.FULL_NAME, "
              "[OWNER].T.DESCRIPTION FROM [OWNER].T");
    // The select kind takes names in any case, and candidate keys as names.
    EXPECT_EQ(Assemble(model, "SELECT"),
              "SELECT [OWNER].T.GROUP_NAME, [OWNER].T.FULL_NAME, [OWNER].T.DESCRIPTION, "
              "[OWNER].T.group_name,[OWNER].T.SYSTEM_ID FROM [OWNER].T");
}

TEST(StatementKindsTest, WithoutKeysOrRowsAKindGivesNoStatement) {
    ColumnModel plain = {Row("SYSTEM_ID", "P", 1), Row("NAME", "N", 2)};
    for (const char* kind : {"SELALLKEYSANDNAMES", "SELALLKEYS", "SELKEYSORDERED", "SELSIDFROMKEY", "DELETEFROMKEY"}) {
        auto made = AssembleStatement(plain, "T", kind, 1, BuildLog{});
        EXPECT_EQ(made.outcome, AssemblyOutcome::RequiredListEmpty) << kind;
        EXPECT_EQ(made.statement, "") << kind;
    }
    std::vector<std::string> lines;
    BuildLog log{[&](const std::string& l) { lines.push_back(l); }};
    EXPECT_EQ(AssembleStatement({}, "T", "SELECT", 1, log).outcome, AssemblyOutcome::RequiredListEmpty);
    EXPECT_EQ(lines.front(), "Warning: No Link tables found to process");
    EXPECT_EQ(AssembleStatement(plain, "T", "MERGE", 1, BuildLog{}).outcome, AssemblyOutcome::UnknownKind);
    EXPECT_EQ(Assemble({}, "DELETE"), "DELETE FROM [OWNER].T");
}

TEST(StatementKindsTest, WritingKindsQuoteByTypeAndWrapDatesForTheEngine) {
    ColumnModel model = {Row("SYSTEM_ID", "P", 1, "4"), Row("CODE", "C", 2), Row("COUNT", "N", 3, "4"),
                         Row("OPENED", "N", 4, "1")};
    EXPECT_EQ(Assemble(model, "INSERT"),
              "INSERT INTO [OWNER].T (SYSTEM_ID, CODE, COUNT, OPENED) VALUES(#SYSTEM_ID#, '#CODE#', #COUNT#, "
              "TRY_CAST('#OPENED#' AS DATETIME))");
    EXPECT_EQ(Assemble(model, "INSERT", 2),
              "INSERT INTO [OWNER].T (SYSTEM_ID, CODE, COUNT, OPENED) VALUES(#SYSTEM_ID#, '#CODE#', #COUNT#, "
              "TO_DATE('#OPENED#', 'RRRR-MON-DD HH24:MI:SS'))");
    EXPECT_EQ(Assemble(model, "UPDATE"), "UPDATE [OWNER].T SET CODE = '#CODE#', COUNT = #COUNT#, OPENED = '#OPENED#'");
    EXPECT_EQ(Assemble(model, "UPDATEFROMKEY", 5),
              "UPDATE [OWNER].T SET CODE = '#CODE#', COUNT = #COUNT#, "
              "OPENED = TO_DATE('#OPENED#', 'RRRR-MON-DD HH24:MI:SS') WHERE CODE = '#CODE#'");
    EXPECT_EQ(Assemble(model, "DELETEFROMKEY"), "DELETE FROM [OWNER].T WHERE CODE = '#CODE#'");
    EXPECT_EQ(Assemble(model, "SELSIDFROMKEY"), "SELECT SYSTEM_ID FROM [OWNER].T WHERE CODE = '#CODE#'");
}

// A matter key (MATTER_ID through MATTER, whose client is a chained key) as
// the builder models a referring column "MAT" of T.
ColumnModel ChainedModel() {
    ColumnModel model = {Row("SYSTEM_ID", "P", 1), Row("CODE", "C", 2), Row("MAT", "X", 1100)};
    auto& mat = model[2];
    mat.FTBNAME = "[OWNER].MATTER";
    mat.FCOLNAME = "SYSTEM_ID";
    mat.Alias = "AA";
    mat.CandidateKey = "MATTER_ID";
    mat.JoinOperator = " = ";
    ColumnModelRow matterId = Row("MATTER_ID", "C", 1111);
    matterId.TBNAME = "[OWNER].MATTER";
    matterId.IsKey.clear();
    matterId.Alias = "AA";
    matterId.CandidateKey = "MAT";
    matterId.ForeignPrimaryKey = "SYSTEM_ID";
    matterId.SourceTable = "[OWNER].T";
    ColumnModelRow client = Row("CLIENT_ID", "X", 1112);
    client.TBNAME = "AA";
    client.FTBNAME = "[OWNER].CLIENT";
    client.FCOLNAME = "SYSTEM_ID";
    client.Alias = "AB";
    client.CandidateKey = "CLIENT_ID";
    client.ForeignPrimaryKey = "SYSTEM_ID";
    client.SourceTable = "[OWNER].T";
    model.push_back(matterId);
    model.push_back(client);
    return model;
}

TEST(StatementKindsTest, AChainedKeyNestsItsLookupIntoTheOneBeforeIt) {
    ColumnModel model = ChainedModel();
    const std::string matter = "#REF:SELECT SYSTEM_ID FROM [OWNER].MATTER WHERE MATTER_ID = '#MAT#'";
    const std::string client = "#REF:SELECT SYSTEM_ID FROM [OWNER].CLIENT WHERE CLIENT_ID = '#CLIENT_ID#'#";
    EXPECT_EQ(Assemble(model, "INSERT"), "INSERT INTO [OWNER].T (SYSTEM_ID, CODE, MAT) VALUES('#SYSTEM_ID#', '#CODE#', (" +
                                             matter + " AND CLIENT_ID = (" + client + ")#))");
    EXPECT_EQ(Assemble(model, "SELALLKEYSANDNAMES"),
              "SELECT [OWNER].T.SYSTEM_ID, UPPER(AB.CLIENT_ID) \"CLIENT_ID\", UPPER([OWNER].T.CODE) \"CODE\", "
              "UPPER(AA.MATTER_ID) \"MATTER_ID\" FROM [OWNER].T\r\n"
              "LEFT OUTER JOIN [OWNER].MATTER AA ON AA.SYSTEM_ID = [OWNER].T.MAT\r\n"
              "LEFT OUTER JOIN [OWNER].CLIENT AB ON AB.SYSTEM_ID = AA.CLIENT_ID");
    EXPECT_EQ(Assemble(model, "SELECT"),
              "SELECT [OWNER].T.CODE, AA.MATTER_ID \"MAT\",[OWNER].T.SYSTEM_ID FROM [OWNER].T\r\n"
              "LEFT OUTER JOIN [OWNER].MATTER AA ON AA.SYSTEM_ID = [OWNER].T.MAT");
}

}  // namespace
}  // namespace lookup
