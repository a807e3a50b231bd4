#include "transfer/statement_template.h"

#include <gtest/gtest.h>

namespace transfer {
namespace {

TEST(StatementTemplateTest, FillsEachPlaceholderOnceAndNeverReadsValuesAsPlaceholders) {
    StatementTemplate t("SELECT '#DESC#', #TYPE#, '#LABEL#', #TYPE#");
    EXPECT_TRUE(t.Quoted("DESC"));
    EXPECT_FALSE(t.Quoted("TYPE"));
    t.Fill("DESC", "see #LABEL# and #TYPE#");
    t.Fill("TYPE", "24");
    EXPECT_TRUE(t.Has("TYPE"));  // the second occurrence is still open
    EXPECT_FALSE(t.Has("DESC"));
    EXPECT_EQ(t.Text(), "SELECT 'see #LABEL# and #TYPE#', 24, '#LABEL#', #TYPE#");
}

TEST(StatementTemplateTest, UnknownAndMalformedMarksStayAsWritten) {
    StatementTemplate t("a # b #NAME# c ## d #");
    EXPECT_TRUE(t.Has("NAME"));
    EXPECT_FALSE(t.Has("b"));
    t.Fill("NAME", "x");
    EXPECT_EQ(t.Text(), "a # b x c ## d #");
}

}  // namespace
}  // namespace transfer
