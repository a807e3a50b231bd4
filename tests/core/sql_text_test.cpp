#include "core/sql_text.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

struct Rewrite {
    const char* label;
    const char* in;
    const char* out;
    int32_t engine;
    const char* dbVersion;
    const char* dmVersion;
    bool alternateDate;
};
void PrintTo(const Rewrite& c, std::ostream* os) { *os << c.label; }

class StatementRewrite : public testing::TestWithParam<Rewrite> {};

TEST_P(StatementRewrite, GivesTheExecutedText) {
    const auto& r = GetParam();
    EXPECT_EQ(RewriteStatement(r.in, "DOCSADM", r.dmVersion, r.engine, r.dbVersion, r.alternateDate), r.out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatementRewrite,
    testing::Values(
        Rewrite{"owner_any_case", "SELECT * FROM [owner].PROFILE P, [Owner].APPS", "SELECT * FROM DOCSADM.PROFILE P, DOCSADM.APPS", 1, "13.0", "10", false},
        Rewrite{"owner_adjacent_and_at_the_ends", "[OWNER][owner].X, [OWNER", "DOCSADMDOCSADM.X, [OWNER", 1, "13.0", "10", false},
        Rewrite{"owner_escape", "SELECT '{x}' FROM {owner}.T", "SELECT '{x}' FROM [OWNER].T", 1, "13.0", "10", false},
        Rewrite{"owner_template_literal",
                "select count(*) from sysobjects where id = object_id('[OWNER].NEEDS_ARCHIVING')",
                "select count(*) from sysobjects where id = object_id('DOCSADM.NEEDS_ARCHIVING')", 1, "13", "10", false},
        Rewrite{"owner_alone_literal", "VALUES (1, '[OWNER]', 'N')", "VALUES (1, 'DOCSADM', 'N')", 1, "13", "10", false},
        Rewrite{"owner_in_value_kept", "UPDATE [OWNER].PROFILE SET DOCNAME = 'Ask the [Owner] first'",
                "UPDATE DOCSADM.PROFILE SET DOCNAME = 'Ask the [Owner] first'", 1, "13", "10", false},
        Rewrite{"oracle_not_equal", "SELECT A FROM T WHERE A <> B AND C<>D", "SELECT A FROM T WHERE A != B AND C<>D", 2, "", "10", false},
        Rewrite{"oracle_value_kept", "UPDATE T SET N = 'Budget <> Actual' WHERE A <> 1",
                "UPDATE T SET N = 'Budget <> Actual' WHERE A != 1", 5, "", "10", false},
        Rewrite{"oracle_empty_compare", "WHERE X <> '' AND Y = 1", "WHERE X != ' ' AND Y = 1", 2, "", "10", false},
        Rewrite{"oracle_quote_literal", "WHERE X = '''' AND Y = 1", "WHERE X = '' AND Y = 1", 2, "", "10", false},
        Rewrite{"oracle_dates", "SET D = GETUTCDATE(), E = TO_DATE('', 'RRRR'), f = getutcdate()",
                "SET D = SYSDATE, E = TO_DATE(NULL, 'RRRR'), f = getutcdate()", 2, "", "10", false},
        Rewrite{"oracle_alternate_date",
                "UPDATE T SET D = TO_DATE('05-MAR-2021 14:30:00', 'RRRR-MON-DD HH24:MI:SS')",
                "UPDATE T SET D = TO_DATE('2021.03.05 14:30:00', 'YYYY.MM.DD HH24:MI:SS')", 2, "", "10", true},
        Rewrite{"oracle_alternate_other_length",
                "UPDATE T SET D = TO_DATE('2021-03-05 14:30:00', 'RRRR-MON-DD HH24:MI:SS')",
                "UPDATE T SET D = TO_DATE('2021-03-05 14:30:00', 'YYYY.MM.DD HH24:MI:SS')", 2, "", "10", true},
        Rewrite{"oracle_format_without_option",
                "UPDATE T SET D = TO_DATE('05-MAR-2021 14:30:00', 'RRRR-MON-DD HH24:MI:SS')",
                "UPDATE T SET D = TO_DATE('05-MAR-2021 14:30:00', 'RRRR-MON-DD HH24:MI:SS')", 2, "", "10", false},
        Rewrite{"sqlserver_empty_cast", "SET D = TRY_CAST('' AS DATETIME), E = CAST('' AS INT)",
                "SET D = TRY_CAST(NULL AS DATETIME), E = CAST(NULL AS INT)", 1, "13.0.5026.0", "10", false},
        Rewrite{"sqlserver_old_try_cast", "SET D = TRY_CAST('2021-01-01' AS DATETIME)",
                "SET D = CAST('2021-01-01' AS DATETIME)", 1, "10.50.6000.34", "10", false},
        Rewrite{"sqlserver_11_try_cast", "SET D = TRY_CAST('2021-01-01' AS DATETIME)",
                "SET D = TRY_CAST('2021-01-01' AS DATETIME)", 1, "11.0.2100.60", "10", false},
        Rewrite{"sqlserver_no_version", "SET D = TRY_CAST(X AS DATETIME)", "SET D = CAST(X AS DATETIME)", 6, "", "10", false},
        Rewrite{"sqlserver_oracle_text_untouched", "WHERE A <> B", "WHERE A <> B", 1, "13", "10", false},
        Rewrite{"item_type_one_char", "SELECT P.ITEM_TYPE, A.APPLICATION FROM [OWNER].PROFILE P",
                "SELECT 'X', A.APPLICATION FROM DOCSADM.PROFILE P", 1, "13", "9.0", false},
        Rewrite{"item_type_two_chars", "SELECT PR.ITEM_TYPE FROM T PR", "SELECT 'X' FROM T PR", 1, "13", "", false},
        Rewrite{"item_type_after_from", "SELECT P.ITEM_TYPE, Q.ITEM_TYPE FROM T WHERE R.ITEM_TYPE = 'F'",
                "SELECT 'X', 'X' FROM T WHERE R.ITEM_TYPE = 'F'", 1, "13", "9", false},
        Rewrite{"item_type_no_from", "UPDATE T SET P.ITEM_TYPE = 1", "UPDATE T SET P.ITEM_TYPE = 1", 1, "13", "9", false},
        Rewrite{"item_type_dm10", "SELECT P.ITEM_TYPE FROM T", "SELECT P.ITEM_TYPE FROM T", 1, "13", "10.0", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(StatementRewrite, AlternateDateFormatTooNearTheStartFails) {
    EXPECT_THROW(RewriteForOracle("TO_DATE('x', 'RRRR-MON-DD')", true), SqlRewriteError);
}

TEST(StripQuotes, MakesTextSafeInsideALiteral) {
    EXPECT_EQ(StripQuotes("O'Brien"), "O''Brien");
    EXPECT_EQ(StripQuotes("   "), "");
    EXPECT_EQ(StripQuotes(""), "");
    EXPECT_EQ(StripQuotes("  one\r\ntwo  "), "one  two");
    EXPECT_EQ(StripQuotes("\ttab "), "\ttab");
}

}  // namespace
