// Trustees read back after the program's SQL, links in both removal modes,
// related items.

#include <gtest/gtest.h>

#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

class RelationsTest : public fixture::DocumentTest {
protected:
    void SetUp() override { OpenSite(); }
};

TEST_F(RelationsTest, TrusteesAreTheSecurityRowsAsTheProgramLeftThem) {
    int32_t doc = Document("Secured");
    std::string n = std::to_string(doc);
    EXPECT_EQ(Lib()->GetProfile(doc)->Trustees(), nullptr) << "only the no-trustees row";

    // The transfer's security writes, through the SQL object.
    auto sql = Sql("DOCS");
    ASSERT_EQ(sql->Execute("UPDATE DOCSADM.PROFILE SET DEFAULT_RIGHTS = 1 WHERE DOCNUMBER = " + n), 0);
    ASSERT_EQ(sql->Execute("DELETE FROM DOCSADM.SECURITY WHERE THING = (SELECT SYSTEM_ID FROM DOCSADM.PROFILE "
                           "WHERE DOCNUMBER = " + n + ")"),
              0);
    ASSERT_EQ(sql->Execute("INSERT INTO DOCSADM.SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT PE.SYSTEM_ID, "
                           "255, PR.SYSTEM_ID FROM DOCSADM.PEOPLE PE, DOCSADM.PROFILE PR WHERE PE.USER_ID = 'JSMITH' "
                           "AND PR.DOCNUMBER = " + n),
              0);
    ASSERT_EQ(sql->Execute("INSERT INTO DOCSADM.SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT PE.SYSTEM_ID, "
                           "63, PR.SYSTEM_ID FROM DOCSADM.PEOPLE PE, DOCSADM.PROFILE PR WHERE PE.USER_ID = 'MJONES' "
                           "AND PR.DOCNUMBER = " + n),
              0);
    ASSERT_EQ(sql->Execute("INSERT INTO DOCSADM.SECURITY (PERSONORGROUP, ACCESSRIGHTS, THING) SELECT GR.SYSTEM_ID, "
                           "255, PR.SYSTEM_ID FROM DOCSADM.GROUPS GR, DOCSADM.PROFILE PR WHERE GR.GROUP_ID = 'LEGAL' "
                           "AND PR.DOCNUMBER = " + n),
              0);
    auto trustees = Lib()->GetProfile(doc)->Trustees();
    ASSERT_NE(trustees, nullptr);
    EXPECT_EQ(trustees->Count(), 3);
    EXPECT_TRUE(trustees->ItemByName("jsmith")->CanDelete().IsBooleanTrue());
    EXPECT_TRUE(trustees->ItemByName("MJONES")->CanDelete().IsBooleanFalse()) << "63 lacks the delete right";
    EXPECT_EQ(trustees->ItemByName("LEGAL"), nullptr) << "a group is nobody's own entry";
    EXPECT_EQ(trustees->ItemByName("DMADMIN"), nullptr);
    EXPECT_EQ(Column(*Lib()->GetProfile(doc), "SECURITY")->Value(), dm::Variant(int32_t{1}));

    // A security link makes another item's rows apply.
    int32_t linked = Document("Follows");
    site_.Sql("DOCS", "UPDATE PROFILE SET SECURITY_LINK = (SELECT SYSTEM_ID FROM PROFILE WHERE DOCNUMBER = ?) "
                      "WHERE DOCNUMBER = ?",
              {int64_t{doc}, int64_t{linked}});
    ASSERT_NE(Lib()->GetProfile(linked)->Trustees(), nullptr);
    EXPECT_EQ(Lib()->GetProfile(linked)->Trustees()->Count(), 3);
}

TEST_F(RelationsTest, LinksLeadToProfilesAndAreRemovedAtOnceOrAtTheNextRefresh) {
    int32_t owner = Document("Owner");
    int32_t a = Document("Linked A");
    DocumentMaker archive(*emulator_, "ARCHIVE");
    DocumentSpec spec;
    spec.name = "Linked far";
    int32_t far = archive.Create(spec);
    docs_->Link(owner, "DOCS", a);
    docs_->Link(owner, "ARCHIVE", far);
    docs_->Link(owner, "DOCS", a);

    auto profile = Lib()->GetProfile(owner)->AsProfileObject();
    auto links = profile->Links();
    ASSERT_EQ(links->Count(), 3);
    EXPECT_EQ(links->Item(1)->LinkedProfile()->DocNumber(), a);
    EXPECT_EQ(links->Item(2)->LinkedProfile()->Library()->Name(), "ARCHIVE");
    EXPECT_EQ(links->Item(2)->LinkedProfile()->Name(), "Linked far");

    EXPECT_TRUE(links->Remove(links->Item(3)).IsBooleanTrue());
    EXPECT_EQ(profile->ErrorNumber(), 0);
    EXPECT_EQ(profile->Links()->Count(), 2) << "at once";

    emulator_->Faults().On(op::kLinksRemove).Defer();
    auto fresh = profile->Links();
    EXPECT_TRUE(fresh->Remove(fresh->Item(2)).IsBooleanTrue());
    EXPECT_EQ(profile->Links()->Count(), 2) << "still there until a Refresh";
    fresh->Refresh();
    EXPECT_EQ(fresh->Count(), 1);
    EXPECT_EQ(profile->Links()->Count(), 1);

    emulator_->Faults().Clear();
    emulator_->Faults().On(op::kLinksRemove).Refuse(-2147217900, "link locked");
    EXPECT_TRUE(fresh->Remove(fresh->Item(1)).IsBooleanFalse());
    EXPECT_EQ(profile->ErrorNumber(), -2147217900) << "the owning profile carries the error";
    EXPECT_EQ(profile->ErrorDescription(), "link locked");
    EXPECT_EQ(profile->Links()->Count(), 1);
}

TEST_F(RelationsTest, RelatedItemsAreTheRelatedRowsInBothDirections) {
    int32_t doc = Document("Center");
    int32_t later = Document("Later");
    int32_t earlier = Document("Earlier");
    docs_->Relate(doc, earlier);
    docs_->Relate(later, doc);
    DocumentMaker archive(*emulator_, "ARCHIVE");
    DocumentSpec spec;
    spec.name = "Copy";
    int32_t copy = archive.Create(spec);
    docs_->Relate(doc, copy, "ARCHIVE");

    auto profile = Lib()->GetProfile(doc)->AsProfileObject();
    auto related = profile->RelatedItems();
    ASSERT_EQ(related->Count(), 3);
    std::vector<std::string> items;
    for (int32_t i = 1; i <= related->Count(); ++i) {
        items.push_back(related->Item(i)->Library()->Name() + "#" + std::to_string(related->Item(i)->DocNumber()));
    }
    EXPECT_EQ(items, (std::vector<std::string>{"DOCS#" + std::to_string(earlier), "DOCS#" + std::to_string(later),
                                               "ARCHIVE#" + std::to_string(copy)}));
    for (int32_t i = related->Count(); i >= 1; --i) {
        EXPECT_TRUE(related->Remove(related->Item(i)).IsBooleanTrue()) << i;
        EXPECT_EQ(profile->ErrorNumber(), 0);
    }
    related->Refresh();
    EXPECT_EQ(related->Count(), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.RELATED"), 0);
    EXPECT_TRUE(related->Remove(Lib()->GetProfile(later)).IsBooleanFalse());
    EXPECT_EQ(profile->ErrorNumber(), kErrNotFiled);
}

}  // namespace
}  // namespace dmsim
