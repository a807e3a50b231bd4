// The criterion fields' checks on the demo site: typed entries looked up in
// their tables as the literal text they are, and lookup results turned into
// the fields' texts.

#include <gtest/gtest.h>

#include "dmsim/default_site.h"
#include "lookup/criterion_checks.h"
#include "test_support/program_fixture.h"

namespace lookup {
namespace {

class CriterionChecksTest : public test_support::ProgramTest {
protected:
    void SetUp() override {
        dmsim::DescribeDefaultSite(site_);
        CreateSite();
        dmsim::AddDemoRows(site_);
        site_.AddGroup("DOCS", "O'NEIL", "Group with an apostrophe");
        noClient_ = site_.AddLookup("DOCS", "MATTER", "MATTER_ID", "M900", "MATTER_NAME", "No client");
        Open();
        Start();
        ASSERT_TRUE(program_->ConnectLibrary("DOCS"));
    }

    int32_t noClient_ = 0;
};

TEST_F(CriterionChecksTest, TypedEntriesAreCheckedAsTheTextTheyAre) {
    using F = CriterionField;
    using V = EntryVerdict;
    struct Case {
        F field;
        const char* typed;
        const char* undo;
        const char* text;
        V verdict;
    };
    const std::vector<Case> cases = {
        {F::Groups, "  legal ", "", "legal", V::Accepted},
        {F::Groups, "NOBODY", "", "NOBODY", V::Refused},
        {F::Groups, "x' OR 'A'='A", "", "x' OR 'A'='A", V::Refused},
        {F::Groups, "o'neil", "", "o'neil", V::Accepted},
        {F::Groups, " LEGAL", "LEGAL", "LEGAL", V::NotChecked},
        {F::Groups, "legal", "LEGAL", "legal", V::Accepted},
        {F::Groups, "NOBODY, NOONE", "", "NOBODY, NOONE", V::NotChecked},
        {F::Groups, "   ", "LEGAL", "", V::NotChecked},
        {F::Typist, "jsmith", "", "jsmith", V::Accepted},
        {F::Author, "MJONES", "", "MJONES", V::Accepted},
        {F::Author, "LEGAL", "", "LEGAL", V::Refused},
        {F::DocTypes, "memo", "", "memo", V::Accepted},
        {F::Apps, "ms word", "", "ms word", V::Accepted},
        {F::Apps, "MEMO", "", "MEMO", V::Refused},
    };
    for (const auto& c : cases) {
        auto check = CheckCriterionEntry(*program_, c.field, c.typed, c.undo);
        EXPECT_EQ(check.text, c.text) << c.typed;
        EXPECT_EQ(check.verdict, c.verdict) << c.typed;
    }
}

TEST_F(CriterionChecksTest, MatterEntriesAreCheckedWithTheirClient) {
    struct Case {
        const char* typed;
        EntryVerdict verdict;
    };
    const std::vector<Case> cases = {
        {"C001:M001", EntryVerdict::Accepted}, {" c001 : m002 ", EntryVerdict::Accepted},
        {"C002:M001", EntryVerdict::Refused},  {"m001", EntryVerdict::Accepted},
        {"M900", EntryVerdict::Accepted},      {":M001", EntryVerdict::Refused},
        {"C001:x' OR 'A'='A", EntryVerdict::Refused}, {"x' OR 'A'='A", EntryVerdict::Refused},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckMatterEntry(*program_, c.typed, "").verdict, c.verdict) << c.typed;
}

TEST_F(CriterionChecksTest, LookupResultsBecomeTheFieldsText) {
    EXPECT_EQ(JoinLookupResults({"LEGAL", "", "ACCOUNTING"}), "LEGAL, ACCOUNTING");
    EXPECT_EQ(JoinLookupResults({"", ""}), "");
    const std::string m001 = Value("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.MATTER WHERE MATTER_ID = 'M001'");
    const std::string m002 = Value("DOCS", "SELECT SYSTEM_ID FROM DOCSADM.MATTER WHERE MATTER_ID = 'M002'");
    EXPECT_EQ(MatterEntriesFromKeys(*program_, {"SYSTEM_ID:" + m002, "SYSTEM_ID:" + std::to_string(noClient_), "",
                                                "SYSTEM_ID", "SYSTEM_ID:0", "SYSTEM_ID:" + m001}),
              "C001:M002, C001:M001");
}

}  // namespace
}  // namespace lookup
