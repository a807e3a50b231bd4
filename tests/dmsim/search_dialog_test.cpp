// The search dialog: what it offers the dialog host, a cancel, and the
// picks' profiles from any library.

#include <gtest/gtest.h>

#include "dmsim/fault_ops.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

class ScriptedSearch : public dm::IDmDialogHost {
public:
    bool answer = true;
    std::vector<dm::DmSearchPick> picks;
    std::string prompt;
    std::vector<dm::DmSearchPick> offered;
    int ChooseLibrary(const std::vector<std::string>&) override { return -1; }
    bool SearchDocuments(const std::string& p, const std::vector<dm::DmSearchPick>& candidates,
                         std::vector<dm::DmSearchPick>& out) override {
        prompt = p;
        offered = candidates;
        out = picks;
        return answer;
    }
    void DisplayProfile(const std::string&, int32_t) override {}
};

class SearchDialogTest : public fixture::DocumentTest {
protected:
    void SetUp() override {
        OpenSite();
        emulator_->SetDialogHost(&host_);
    }
    ScriptedSearch host_;
};

TEST_F(SearchDialogTest, ShowOffersTheConnectedLibrarysDocumentsAndCancelAnswersZero) {
    int32_t a = Document("First");
    docs_->CreateFolder("Not a document");
    int32_t b = Document("Second");
    auto dialog = emulator_->Factory()->CreateSearchDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetPrompt("Select documents to add to Dorvane queue:");
    host_.answer = false;
    EXPECT_EQ(dialog->Show(0), 0);
    EXPECT_EQ(host_.prompt, "Select documents to add to Dorvane queue:");
    ASSERT_EQ(host_.offered.size(), 2u) << "documents only";
    EXPECT_EQ(host_.offered[0].docNumber, a);
    EXPECT_EQ(host_.offered[0].library, "DOCS");
    EXPECT_EQ(host_.offered[1].name, "Second");
    EXPECT_EQ(host_.offered[1].docNumber, b);
    EXPECT_EQ(dialog->Results()->Count(), 0);

    Lib("ARCHIVE")->Connect();
    host_.answer = true;
    EXPECT_NE(dialog->Show(0), 0);
    EXPECT_TRUE(host_.offered.empty()) << "the connected library has no documents";
}

TEST_F(SearchDialogTest, ResultsAreThePicksProfilesOrNothingForAMissingOne) {
    int32_t a = Document("Mine");
    DocumentMaker archive(*emulator_, "ARCHIVE");
    DocumentSpec spec;
    spec.name = "Theirs";
    int32_t far = archive.Create(spec);
    host_.picks = {{"DOCS", a, "Mine"}, {"ARCHIVE", far, "Theirs"}, {"DOCS", 9999, "Gone"}, {"NOWHERE", 1, "?"}};
    auto dialog = emulator_->Factory()->CreateSearchDialog();
    ASSERT_EQ(dialog->Show(0), 1);
    auto results = dialog->Results();
    ASSERT_EQ(results->Count(), 4);
    EXPECT_EQ(results->Item(1)->DocNumber(), a);
    EXPECT_EQ(results->Item(1)->Library()->Name(), "DOCS");
    EXPECT_EQ(results->Item(2)->Library()->Name(), "ARCHIVE");
    EXPECT_EQ(results->Item(2)->DocNumber(), far);
    EXPECT_EQ(results->Item(3), nullptr);
    EXPECT_EQ(results->Item(4), nullptr);
    results->Item(1)->Close();

    host_.picks.clear();
    ASSERT_EQ(dialog->Show(0), 1);
    EXPECT_EQ(dialog->Results()->Count(), 0) << "no picks";

    emulator_->Faults().On(op::kSearchDialogShow).Answer(0);
    EXPECT_EQ(dialog->Show(0), 0) << "an injected cancel";
    emulator_->Faults().On(op::kCreateSearchDialog).AnswerNothing();
    EXPECT_EQ(emulator_->Factory()->CreateSearchDialog(), nullptr);
}

}  // namespace
}  // namespace dmsim
