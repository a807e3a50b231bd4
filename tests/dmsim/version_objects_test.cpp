// Versions: the kinds AddVersion makes and their file names, the
// first-version fix-up the program runs on them, refusals, file paths that
// follow the rows, check-outs and the version order.

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "dmclient/dm_error.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "document_fixture.h"

namespace dmsim {
namespace {

namespace fs = std::filesystem;

class VersionTest : public fixture::DocumentTest {
protected:
    void SetUp() override { OpenSite(); }

    // A new document as the transfer leaves it before its versions: saved
    // (with the placeholder) and opened for versions.
    dm::ProfilePtr NewTarget() {
        auto profile = Lib()->NewProfile("DEFPROF");
        profile->OpenForEdit(18);
        Column(*profile, "DOCNAME")->SetValue("Target");
        Column(*profile, "APP_ID")->SetValue("MS WORD");
        EXPECT_TRUE(profile->Save(2).IsBooleanTrue());
        EXPECT_EQ(profile->OpenForEdit(34), 1);
        return profile;
    }

    struct Row {
        int64_t version;
        std::string subversion;
        std::string label;
        std::string file;
    };
    std::vector<Row> Rows(int32_t doc) {
        auto rows = Db().Query("SELECT V.VERSION, V.SUBVERSION, V.VERSION_LABEL, C.PATH FROM DOCSADM.VERSIONS V "
                               "JOIN DOCSADM.COMPONENTS C ON C.VERSION_ID = V.VERSION_ID WHERE V.DOCNUMBER = ? "
                               "ORDER BY V.VERSION_ID",
                               {int64_t{doc}});
        std::vector<Row> out;
        for (auto& r : rows.rows) out.push_back({AsInt(r[0]), AsText(r[1]), AsText(r[2]), AsText(r[3])});
        return out;
    }

    // The program's first-version fix-up, by its statements and its
    // file-name rule.
    void FixFirstVersion(int32_t doc) {
        auto sql = Sql("DOCS");
        std::string n = std::to_string(doc);
        sql->Execute("SELECT P.DOCSERVER_LOC + P.PATH + C.PATH FROM DOCSADM.COMPONENTS C LEFT OUTER JOIN "
                     "DOCSADM.VERSIONS V ON V.VERSION_ID = C.VERSION_ID LEFT OUTER JOIN DOCSADM.PROFILE P ON "
                     "P.DOCNUMBER = V.DOCNUMBER WHERE C.DOCNUMBER = " + n + " AND V.VERSION_LABEL = '1'");
        std::string placeholder = sql->ColumnValue(1).ToText();
        ASSERT_TRUE(fs::exists(placeholder));
        fs::remove(placeholder);
        sql->Execute("SELECT VERSION_ID FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_LABEL = '1'");
        std::string id = sql->ColumnValue(1).ToText();
        sql->Execute("DELETE FROM DOCSADM.COMPONENTS WHERE DOCNUMBER = " + n + " AND VERSION_ID = " + id);
        sql->Execute("DELETE FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_ID = " + id);
        sql->Execute("DELETE FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = " + n + " AND VERSION_LABEL = '1'");
        sql->Execute("SELECT VERSION_LABEL FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n +
                     " ORDER BY VERSION_LABEL ASC");
        std::string label = sql->ColumnValue(1).ToText();
        sql->Execute("SELECT VERSION_ID FROM DOCSADM.VERSIONS WHERE DOCNUMBER = " + n + " AND VERSION_LABEL = '" +
                     label + "'");
        std::string item = sql->ColumnValue(1).ToText();
        sql->Execute("UPDATE DOCSADM.VERSIONS SET VERSION_LABEL = '1' WHERE DOCNUMBER = " + n +
                     " AND VERSION_ID = " + item);
        sql->Execute("UPDATE DOCSADM.ACTIVITYLOG SET VERSION_LABEL = '1' WHERE DOCNUMBER = " + n +
                     " AND VERSION_LABEL = '2'");
        sql->Execute("SELECT P.DOCSERVER_LOC, P.PATH, C.PATH FROM DOCSADM.COMPONENTS C, DOCSADM.PROFILE P WHERE "
                     "P.DOCNUMBER = C.DOCNUMBER AND C.DOCNUMBER = " + n + " AND C.VERSION_ID = " + item);
        std::string dir = sql->ColumnValue(1).ToText() + sql->ColumnValue(2).ToText();
        std::string oldName = sql->ColumnValue(3).ToText();
        std::string base = oldName.substr(0, oldName.find('.'));
        ASSERT_GE(base.size(), 3u);
        std::string newName = base.substr(0, base.size() - 3) + "01" + base.back() + oldName.substr(base.size());
        fs::rename(dir + oldName, dir + newName);
        sql->Execute("UPDATE DOCSADM.COMPONENTS SET PATH = '" + newName + "' WHERE DOCNUMBER = " + n +
                     " AND UPPER(PATH) = '" + oldName + "'");
    }
};

TEST_F(VersionTest, AddVersionMakesVersionsSubversionsAndAttachmentsByTheFifthArgument) {
    auto profile = NewTarget();
    const int32_t doc = profile->DocNumber();
    auto version = profile->AddVersion(2, SourceFile("memo.doc", "version two"), "JSMITH", "MJONES", std::nullopt,
                                       "copied");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(profile->ErrorNumber(), 0);
    EXPECT_EQ(version->Label(), "2") << "the placeholder holds version 1";
    EXPECT_EQ(Slurp(version->FilePath()), "version two");
    EXPECT_EQ(version->Profile()->DocNumber(), doc);
    EXPECT_TRUE(version->Release(2).IsBooleanTrue());

    // Flags never decide the kind: a subversion and an attachment both with 3.
    auto sub = profile->AddVersion(3, SourceFile("sub.doc", "sub"), "JSMITH", "JSMITH", "1", "");
    auto attachment = profile->AddVersion(3, SourceFile("scan.pdf", "scan"), "JSMITH", "JSMITH", "A", "");
    auto sub2 = profile->AddVersion(2, SourceFile("sub2.doc", "sub2"), "", "", "1", "");
    ASSERT_TRUE(sub && attachment && sub2);

    auto rows = Rows(doc);
    ASSERT_EQ(rows.size(), 5u);
    const std::string code = rows[0].file.substr(0, rows[0].file.size() - 7);
    auto expect = [&](const Row& r, int64_t version, const char* subversion, const char* label, const char* file) {
        EXPECT_EQ(r.version, version) << label;
        EXPECT_EQ(r.subversion, subversion) << label;
        EXPECT_EQ(r.label, label);
        EXPECT_EQ(r.file, code + file) << label;
    };
    expect(rows[0], 1, "!", "1", "01!.DOC");
    expect(rows[1], 2, "!", "2", "02!.DOC");
    expect(rows[2], 1, "A", "1A", "01A.DOC");
    expect(rows[3], 3, "!", "A", "03!.PDF");
    expect(rows[4], 1, "B", "1B", "01B.DOC");
    EXPECT_EQ(attachment->Label(), "A");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.COMPONENTS WHERE DOCNUMBER = ? AND ENCRYPTION_KEY_ID IS NOT NULL",
                    {int64_t{doc}}),
              0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.ACTIVITYLOG WHERE DOCNUMBER = ? AND VERSION_LABEL = '1A'",
                    {int64_t{doc}}),
              1);
    EXPECT_EQ(Count("SELECT AUTHOR FROM DOCSADM.VERSIONS WHERE DOCNUMBER = ? AND VERSION_LABEL = '2'", {int64_t{doc}}),
              Count("SELECT SYSTEM_ID FROM DOCSADM.PEOPLE WHERE USER_ID = 'JSMITH'"));

    // The version order: VERSION, then '!' before letters.
    std::vector<std::string> labels;
    auto versions = Lib()->GetProfile(doc)->Versions();
    for (int32_t i = 1; i <= versions->Count(); ++i) labels.push_back(versions->Item(i)->Label());
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "1A", "1B", "2", "A"}));

    auto adds = emulator_->Calls().Of(op::kProfileAddVersion);
    ASSERT_EQ(adds.size(), 4u);
    EXPECT_EQ(adds[1].args.at(0).ToLong(), 3);
    EXPECT_EQ(adds[1].args.at(4), dm::Variant("1"));
    EXPECT_TRUE(adds[0].args.at(4).IsEmpty()) << "no fifth argument";
}

TEST_F(VersionTest, TheFirstVersionFixUpWorksOnTheDmsFileNames) {
    auto profile = NewTarget();
    const int32_t doc = profile->DocNumber();
    ASSERT_NE(profile->AddVersion(2, SourceFile("v.doc", "the first copied version"), "JSMITH", "JSMITH",
                                  std::nullopt, ""),
              nullptr);
    FixFirstVersion(doc);

    auto versions = Lib()->GetProfile(doc)->Versions();
    ASSERT_EQ(versions->Count(), 1);
    auto first = versions->Item(1);
    EXPECT_EQ(first->Label(), "1");
    EXPECT_EQ(fs::path(first->FilePath()).filename().string().substr(3), "01!.DOC");
    EXPECT_EQ(Slurp(first->FilePath()), "the first copied version");

    // A subversion of "1" now finds the relabelled version (VERSION 2).
    auto sub = profile->AddVersion(2, SourceFile("s.doc", "sub"), "JSMITH", "JSMITH", "1", "");
    ASSERT_NE(sub, nullptr) << profile->ErrorDescription();
    EXPECT_EQ(sub->Label(), "1A");
    EXPECT_EQ(Count("SELECT VERSION FROM DOCSADM.VERSIONS WHERE VERSION_ID = ?", {int64_t{sub->VersionId()}}), 2);
    auto next = profile->AddVersion(2, SourceFile("n.doc", "next"), "JSMITH", "JSMITH", std::nullopt, "");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->Label(), "3");
    EXPECT_NE(next->FilePath(), first->FilePath());
}

TEST_F(VersionTest, AddVersionRefusesWithAReasonAndWritesNothing) {
    auto profile = NewTarget();
    const int32_t doc = profile->DocNumber();
    struct Case {
        const char* what;
        std::string file;
        std::string author;
        std::optional<std::string> fifth;
        int32_t error;
    };
    std::string good = SourceFile("good.doc", "good");
    for (const auto& c : std::vector<Case>{
             {"missing file", (dir_.path() / "nothing.doc").string(), "JSMITH", std::nullopt, kErrFileMissing},
             {"empty path", "", "JSMITH", std::nullopt, kErrFileMissing},
             {"unknown author", good, "NOBODY", std::nullopt, kErrUnknownUser},
             {"no version 7", good, "JSMITH", "7", kErrNoSuchVersion},
             {"label too long", good, "JSMITH", "ATTACHMENT-X", kErrInvalidValue}}) {
        EXPECT_EQ(profile->AddVersion(2, c.file, c.author, c.author, c.fifth, ""), nullptr) << c.what;
        EXPECT_EQ(profile->ErrorNumber(), c.error) << c.what;
        EXPECT_FALSE(profile->ErrorDescription().empty()) << c.what;
        EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.VERSIONS WHERE DOCNUMBER = ?", {int64_t{doc}}), 1) << c.what;
    }
    // A disabled person is still a known author.
    site_.Sql("DOCS", "UPDATE PEOPLE SET DISABLED = '1' WHERE USER_ID = 'MJONES'");
    EXPECT_NE(profile->AddVersion(2, good, "MJONES", "MJONES", std::nullopt, ""), nullptr);
    EXPECT_EQ(profile->ErrorNumber(), 0) << "a success clears the error";

    profile->Close();
    EXPECT_EQ(profile->AddVersion(2, good, "JSMITH", "JSMITH", std::nullopt, ""), nullptr);
    EXPECT_EQ(profile->ErrorNumber(), kErrNotOpenForEdit);
}

// A disk that fills up in the middle of a copy: the version is refused and
// its partial file goes at once, not at the next good run.
TEST_F(VersionTest, ACopyCutShortLeavesNoPartialFile) {
    auto profile = NewTarget();
    const int32_t doc = profile->DocNumber();
    const std::string big = SourceFile("big.doc", std::string(256 * 1024, 'x'));
    const fs::path folder = fs::path(Lib()->GetProfile(doc)->Versions()->Item(1)->FilePath()).parent_path();
    // Files may grow to 16 KB only, as on a disk that is full after that.
    struct rlimit saved = {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    auto version = profile->AddVersion(2, big, "JSMITH", "JSMITH", std::nullopt, "");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    EXPECT_EQ(version, nullptr);
    EXPECT_EQ(profile->ErrorNumber(), kErrStorage);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.VERSIONS WHERE DOCNUMBER = ?", {int64_t{doc}}), 1);
    for (const auto& e : fs::directory_iterator(folder)) {
        EXPECT_EQ(e.path().filename().string().find('~'), std::string::npos) << e.path();
    }
}

TEST_F(VersionTest, FilePathFollowsTheProfileRowsStorage) {
    int32_t doc = Document("Pointed", "here");
    auto version = Lib()->GetProfile(doc)->Versions()->Item(1);
    std::string original = version->FilePath();
    std::string name = fs::path(original).filename().string();
    // Metadata-only mode points a document at other storage by SQL.
    fs::path other = dir_.path() / "elsewhere" / "DOCSADM";
    fs::create_directories(other);
    fs::copy_file(original, other / name);
    site_.Sql("DOCS", "UPDATE PROFILE SET DOCSERVER_LOC = ?, PATH = 'DOCSADM/' WHERE DOCNUMBER = ?",
              {(dir_.path() / "elsewhere").string() + "/", int64_t{doc}});
    EXPECT_EQ(version->FilePath(), (other / name).string());
    EXPECT_EQ(Lib()->GetProfile(doc)->Versions()->Item(1)->FilePath(), (other / name).string());
}

TEST_F(VersionTest, CheckOutCopiesThePlainFileAndMarksTheDocumentCheckedOut) {
    DocumentSpec spec;
    spec.name = "Secret";
    spec.versions = {Version("first"), Version("second")};
    int32_t doc = docs_->Create(spec);
    site_.Sql("DOCS", "UPDATE COMPONENTS SET ENCRYPTION_KEY_ID = 'KEY-1' WHERE DOCNUMBER = ?", {int64_t{doc}});
    fs::path temp = dir_.path() / "temp";
    fs::create_directories(temp);
    auto profile = Lib()->GetProfile(doc);
    auto versions = profile->Versions();
    ASSERT_EQ(versions->Count(), 2);
    for (int32_t k = 1; k <= versions->Count(); ++k) {
        auto v = versions->Item(k);
        // The program hands TEMP with a backslash appended.
        EXPECT_TRUE(v->CheckOut("2022-03-05", "Checked out by DMADMIN", temp.string() + "\\").IsBooleanTrue());
        std::string copy = (temp / fs::path(v->FilePath()).filename()).string();
        EXPECT_EQ(Slurp(copy), k == 1 ? "first" : "second");
        profile->Unlock(3, 0, temp.string() + "\\", 0);
    }
    EXPECT_EQ(Count("SELECT STATUS FROM DOCSADM.PROFILE WHERE DOCNUMBER = ?", {int64_t{doc}}), 3);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DOCSADM.CHECKOUT WHERE DOCNUMBER = ? AND DUE_DATE = '2022-03-05 00:00:00'",
                    {int64_t{doc}}),
              2)
        << "Unlock leaves the check-out rows";
    auto unlocks = emulator_->Calls().Of(op::kProfileUnlock);
    ASSERT_EQ(unlocks.size(), 2u);
    EXPECT_EQ(unlocks[0].args.at(0).ToLong(), 3);

    EXPECT_TRUE(versions->Item(1)->CheckOut("", "", (dir_.path() / "no-such-folder").string()).IsBooleanFalse());
    EXPECT_THROW(versions->Item(3), dm::DmError);
}

}  // namespace
}  // namespace dmsim
