#include "dmsim/document_maker.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "dmsim/doc_storage.h"
#include "dmsim/emulator.h"
#include "dmsim/folder_list.h"
#include "dmsim/form_catalog.h"
#include "dmsim/library_db.h"
#include "dmsim/library_object.h"
#include "dmsim/link_store.h"
#include "dmsim/lookup_values.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

namespace fs = std::filesystem;

constexpr int32_t kFlags = 3;
constexpr int32_t kOpenNew = 16;
constexpr int32_t kOpenVersions = 32;

[[noreturn]] void Refused(const std::string& what, dm::IDmErrorInfo* info) {
    std::string reason = info && info->ErrorNumber() != 0 ? ": " + info->ErrorDescription() : std::string();
    throw SiteError(what + reason);
}

void SetColumn(dm::IDmProfile& profile, const std::string& name, const dm::Variant& value) {
    auto columns = profile.Columns();
    for (int32_t i = 1; i <= columns->Count(); ++i) {
        auto column = columns->Item(i);
        if (!EqualsNoCase(column->Name(), name)) continue;
        column->SetValue(value);
        return;
    }
    throw SiteError("the form " + profile.FormName() + " has no column " + name);
}

int64_t SystemIdOf(LibraryDb& db, int32_t docNumber) {
    auto v = db.QueryValue("SELECT SYSTEM_ID FROM " + db.Table("PROFILE") + " WHERE DOCNUMBER = ?", {int64_t{docNumber}});
    if (IsNull(v)) throw SiteError("no document #" + std::to_string(docNumber) + " in " + db.Name());
    return AsInt(v);
}

}  // namespace

// Fixtures neither record calls nor meet armed faults.
class DocumentMaker::Quiet {
public:
    explicit Quiet(Session& session)
        : session_(session), faults_(session.Faults().Suspended()), calls_(session.Calls().Suspended()) {
        session_.Faults().Suspend(true);
        session_.Calls().Suspend(true);
    }
    ~Quiet() {
        session_.Faults().Suspend(faults_);
        session_.Calls().Suspend(calls_);
    }

private:
    Session& session_;
    bool faults_;
    bool calls_;
};

VersionSpec Version(std::string content, std::string extension) {
    VersionSpec v;
    v.content = std::move(content);
    v.extension = std::move(extension);
    return v;
}

VersionSpec Subversion(int32_t of, std::string content, std::string extension) {
    VersionSpec v = Version(std::move(content), std::move(extension));
    v.kind = VersionSpec::Kind::Subversion;
    v.of = of;
    return v;
}

VersionSpec Attachment(std::string label, std::string content, std::string extension) {
    VersionSpec v = Version(std::move(content), std::move(extension));
    v.kind = VersionSpec::Kind::Attachment;
    v.label = std::move(label);
    return v;
}

TrusteeSpec User(std::string userId, int32_t rights) { return {std::move(userId), rights, false}; }

TrusteeSpec Group(std::string groupId, int32_t rights) { return {std::move(groupId), rights, true}; }

DocumentMaker::DocumentMaker(Emulator& emulator, const std::string& library)
    : DocumentMaker(emulator.GetSession(), library) {}

DocumentMaker::DocumentMaker(std::shared_ptr<Session> session, const std::string& library)
    : session_(std::move(session)),
      library_([&]() -> const LibrarySpec& {
          const LibrarySpec* spec = session_->FindLibrary(library);
          if (!spec) throw SiteError("no library named '" + library + "' in the site");
          return *spec;
      }()),
      libraryObject_(std::make_shared<LibraryObject>(session_, library_)) {}

const std::string& DocumentMaker::Library() const { return library_.name; }

dm::ProfilePtr DocumentMaker::Open(int32_t docNumber) {
    auto profile = libraryObject_->GetProfile(docNumber);
    if (!profile) throw SiteError("no document #" + std::to_string(docNumber) + " in " + library_.name);
    return profile;
}

std::string DocumentMaker::StageFile(const std::string& content, const std::string& extension) {
    // A name of this maker's own: several processes may stage at once.
    if (stageTag_.empty()) stageTag_ = std::to_string(std::random_device{}()) + "-";
    fs::path dir = session_->SiteDir() / "incoming";
    fs::create_directories(dir);
    fs::path file = dir / ("staged" + stageTag_ + std::to_string(++staged_) + (extension.empty() ? "" : "." + extension));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw SiteError("cannot write " + file.string());
    return file.string();
}

int32_t DocumentMaker::Create(const DocumentSpec& spec) {
    Quiet quiet(*session_);
    std::string formName = spec.form;
    if (formName.empty()) {
        auto forms = ApplicationForms(library_, spec.application);
        formName = forms.empty() ? kDefaultFormName : forms.front()->name;
    }
    auto profile = libraryObject_->NewProfile(formName);
    if (!profile) throw SiteError("the library " + library_.name + " has no form " + formName);
    profile->OpenForEdit(kOpenNew + kFlags);
    const std::pair<const char*, const std::string*> standard[] = {
        {"DOCNAME", &spec.name},          {"APP_ID", &spec.application}, {"AUTHOR_ID", &spec.author},
        {"TYPIST_ID", &spec.typist},      {"TYPE_ID", &spec.documentType}, {"CLIENT_ID", &spec.client},
        {"MATTER_ID", &spec.matter},      {"STORAGETYPE", &spec.storageType},
    };
    for (const auto& [name, value] : standard) {
        if (!value->empty()) SetColumn(*profile, name, *value);
    }
    for (const auto& [name, value] : spec.columns) SetColumn(*profile, name, value);
    if (!profile->Save(kFlags).IsBooleanTrue()) Refused("cannot save the document " + spec.name, profile.get());
    const int32_t number = profile->DocNumber();
    LibraryDb& db = session_->Db(library_.name);

    auto version = spec.versions.begin();
    if (version != spec.versions.end() && version->kind == VersionSpec::Kind::Version) {
        // Version 1 is the placeholder the save made; it takes the content.
        auto first = profile->Versions()->Item(1);
        std::ofstream out(NativePath(first->FilePath()), std::ios::binary | std::ios::trunc);
        out << version->content;
        if (!out) throw SiteError("cannot write " + first->FilePath());
        auto author = FindPerson(db, version->author.empty() ? (spec.author.empty() ? library_.userId : spec.author)
                                                             : version->author);
        db.Exec("UPDATE " + db.Table("COMPONENTS") + " SET FILE_SIZE = ? WHERE VERSION_ID = ?",
                {static_cast<int64_t>(version->content.size()), int64_t{first->VersionId()}});
        db.Exec("UPDATE " + db.Table("VERSIONS") + " SET AUTHOR = ?, COMMENTS = ? WHERE VERSION_ID = ?",
                {author ? SqlValue(*author) : SqlValue(), version->comment, int64_t{first->VersionId()}});
        ++version;
    }
    if (version != spec.versions.end()) profile->OpenForEdit(kOpenVersions + kFlags);
    for (; version != spec.versions.end(); ++version) {
        std::string file = StageFile(version->content, version->extension);
        std::optional<std::string> fifth;
        int32_t flags = kFlags;
        if (version->kind == VersionSpec::Kind::Subversion) fifth = std::to_string(version->of);
        if (version->kind == VersionSpec::Kind::Attachment) fifth = version->label;
        std::string author = version->author.empty() ? spec.author : version->author;
        auto added = profile->AddVersion(flags, file, author, author, fifth, version->comment);
        std::error_code ec;
        fs::remove(file, ec);
        if (!added) Refused("cannot add a version to #" + std::to_string(number), profile.get());
        added->Release(kFlags);
    }
    profile->Close();
    for (int32_t folder : spec.folders) File(number, folder);
    if (!spec.trustees.empty()) SetTrustees(number, spec.trustees);
    return number;
}

int32_t DocumentMaker::CreateFolder(const std::string& name, int32_t parent, bool isPublic) {
    Quiet quiet(*session_);
    auto folder = libraryObject_->NewFolder();
    folder->SetTitle(name);
    folder->SetName(name);
    auto profile = folder->AsProfile();
    SetColumn(*profile, "DOCNAME", name);
    if (!profile->Save(kFlags).IsBooleanTrue()) Refused("cannot save the folder " + name, profile.get());
    folder->SetIsPublic(isPublic);
    if (!folder->Save(kFlags).IsBooleanTrue()) Refused("cannot save the folder " + name, folder.get());
    const int32_t number = folder->DocNumber();
    if (parent != 0) File(number, parent);
    return number;
}

void DocumentMaker::File(int32_t item, int32_t folder) {
    Quiet quiet(*session_);
    auto parent = libraryObject_->GetFolder(folder);
    if (!parent) throw SiteError("no folder #" + std::to_string(folder) + " in " + library_.name);
    auto profile = Open(item);
    dm::Variant added = profile->AsFolder() ? parent->AddFolder(profile->AsFolder()->AsFolderObject())
                                            : parent->AddDocument(profile->AsProfileObject());
    if (!added.IsBooleanTrue()) {
        Refused("cannot file #" + std::to_string(item) + " in folder #" + std::to_string(folder), parent.get());
    }
    parent->Save(kFlags);
}

void DocumentMaker::SetTrustees(int32_t item, const std::vector<TrusteeSpec>& trustees) {
    LibraryDb& db = session_->Db(library_.name);
    db.InTransaction([&] {
        const int64_t thing = SystemIdOf(db, item);
        db.Exec("DELETE FROM " + db.Table("SECURITY") + " WHERE THING = ?", {thing});
        db.Exec("UPDATE " + db.Table("PROFILE") + " SET DEFAULT_RIGHTS = ? WHERE SYSTEM_ID = ?",
                {int64_t{!trustees.empty()}, thing});
        for (const auto& t : trustees) {
            auto id = db.QueryValue(t.group ? "SELECT SYSTEM_ID FROM " + db.Table("GROUPS") + " WHERE GROUP_ID = ?"
                                            : "SELECT SYSTEM_ID FROM " + db.Table("PEOPLE") + " WHERE USER_ID = ?",
                                    {t.id});
            if (IsNull(id)) throw SiteError("no " + std::string(t.group ? "group " : "user ") + t.id + " in " + db.Name());
            db.Exec("INSERT INTO " + db.Table("SECURITY") + " (PERSONORGROUP, ACCESSRIGHTS, THING) VALUES (?, ?, ?)",
                    {id, int64_t{t.rights}, thing});
        }
        if (trustees.empty()) {
            db.Exec("INSERT INTO " + db.Table("SECURITY") + " (PERSONORGROUP, ACCESSRIGHTS, THING) VALUES (0, 255, ?)",
                    {thing});
        }
    });
}

void DocumentMaker::Relate(int32_t item, int32_t other, const std::string& otherLibrary) {
    LibraryDb& db = session_->Db(library_.name);
    auto remote = otherLibrary.empty() ? std::optional<int64_t>(0) : RemoteLibraryId(db, otherLibrary);
    if (!remote) throw SiteError("the library " + otherLibrary + " is not known in " + db.Name());
    SystemIdOf(db, item);
    db.Exec("INSERT INTO " + db.Table("RELATED") + " (ITEM1, ITEM2, REMOTE_LIBRARY) VALUES (?, ?, ?)",
            {int64_t{item}, int64_t{other}, *remote});
    db.Exec("UPDATE " + db.Table("PROFILE") + " SET RELATED = 'Y' WHERE DOCNUMBER = ?", {int64_t{item}});
}

void DocumentMaker::Link(int32_t item, const std::string& otherLibrary, int32_t other) {
    const LibrarySpec* target = session_->FindLibrary(otherLibrary);
    if (!target) throw SiteError("no library named '" + otherLibrary + "' in the site");
    LibraryDb& db = session_->Db(library_.name);
    AddLink(db, SystemIdOf(db, item), target->name, SystemIdOf(session_->Db(target->name), other));
}

}  // namespace dmsim
