// From the definition's texts to lookups: entries, lookup statements and
// what counts as found.

#include "install/trigger_criteria.h"

#include <gtest/gtest.h>

namespace install {
namespace {

using Entries = std::vector<std::string>;

TEST(TriggerCriteria, EntriesAreCleanedAndSplit) {
    EXPECT_EQ(CriterionEntries(""), Entries{});
    EXPECT_EQ(CriterionEntries(" ,memo,, letter , "), (Entries{"MEMO", "LETTER"}));
    // An apostrophe belongs to its entry, as the field check takes it; the
    // lookup statement doubles it.
    EXPECT_EQ(CriterionEntries("o'brien"), Entries{"O'BRIEN"});
    EXPECT_EQ(CriterionEntries(" jsmith, o'brien "), (Entries{"JSMITH", "O'BRIEN"}));
    EXPECT_EQ(CriterionEntries("'abc', 'def'"), (Entries{"'ABC'", "'DEF'"}));
    EXPECT_EQ(CriterionEntries("   "), Entries{""}) << "no comma: one entry, even when empty";
    EXPECT_EQ(CriterionEntries("acme:case 1"), Entries{"ACME:CASE 1"});
}

TEST(TriggerCriteria, LookupStatements) {
    EXPECT_EQ(CriterionLookupStatement(Criterion::DocumentTypes, "MEMO"),
              "SELECT SYSTEM_ID FROM [OWNER].DOCUMENTTYPES WHERE UPPER(TYPE_ID) = 'MEMO'");
    EXPECT_EQ(CriterionLookupStatement(Criterion::Applications, "MS WORD"),
              "SELECT SYSTEM_ID FROM [OWNER].APPS WHERE UPPER(APPLICATION) = 'MS WORD'");
    EXPECT_EQ(CriterionLookupStatement(Criterion::Authors, "JSMITH"),
              "SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE UPPER(USER_ID) = 'JSMITH'");
    EXPECT_EQ(CriterionLookupStatement(Criterion::Typists, "JSMITH"),
              CriterionLookupStatement(Criterion::Authors, "JSMITH"));
    EXPECT_EQ(CriterionLookupStatement(Criterion::Groups, "LEGAL"),
              "SELECT SYSTEM_ID FROM [OWNER].GROUPS WHERE UPPER(GROUP_ID) = 'LEGAL'");
    EXPECT_EQ(CriterionLookupStatement(Criterion::Matters, "M-1"),
              "SELECT SYSTEM_ID FROM [OWNER].MATTER WHERE UPPER(MATTER_ID) = 'M-1'");
    // The client id is compared upper-cased, as the matter id is.
    EXPECT_EQ(CriterionLookupStatement(Criterion::Matters, " acme : m-1 "),
              "SELECT SYSTEM_ID FROM [OWNER].MATTER WHERE UPPER(MATTER_ID) = 'M-1' AND CLIENT_ID IN "
              "(SELECT SYSTEM_ID FROM [OWNER].CLIENT WHERE UPPER(CLIENT_ID) = 'ACME')");
    // An entry handed in uncleaned still stays one literal.
    EXPECT_EQ(CriterionLookupStatement(Criterion::Authors, "O'BRIEN"),
              "SELECT SYSTEM_ID FROM [OWNER].PEOPLE WHERE UPPER(USER_ID) = 'O''BRIEN'");
}

TEST(TriggerCriteria, TargetAndStorageType) {
    EXPECT_TRUE(IsEveryLibrary(""));
    EXPECT_TRUE(IsEveryLibrary("***ALL***"));
    EXPECT_FALSE(IsEveryLibrary("ARCHIVE"));
    EXPECT_EQ(TargetLookupStatement("Bob's Archive"),
              "SELECT SYSTEM_ID FROM [OWNER].REMOTE_LIBRARIES WHERE UPPER(LIBRARY_NAME) = 'BOB''S ARCHIVE'");
    EXPECT_EQ(StorageCodeOf("***ALL***"), "");
    EXPECT_EQ(StorageCodeOf(""), "");
    EXPECT_EQ(StorageCodeOf("Archive"), "A");
}

TEST(TriggerCriteria, WhatCountsAsFound) {
    EXPECT_TRUE(CriterionEntryFound(Criterion::DocumentTypes, 1, dm::Variant(12)));
    EXPECT_FALSE(CriterionEntryFound(Criterion::DocumentTypes, 1, dm::Variant(0)));
    EXPECT_FALSE(CriterionEntryFound(Criterion::DocumentTypes, 0, dm::Variant()));
    EXPECT_TRUE(CriterionEntryFound(Criterion::Authors, 1, dm::Variant(0)));
    EXPECT_FALSE(CriterionEntryFound(Criterion::Groups, 0, dm::Variant()));
}

}  // namespace
}  // namespace install
