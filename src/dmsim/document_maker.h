#pragma once
// Documents and folders for tests, demos and benchmarks, made through the
// emulator's own objects so they are what the DM itself would hold:
//
//   DocumentMaker docs(emulator, "DOCS");
//   int32_t folder = docs.CreateFolder("Contracts", 0, /*isPublic=*/true);
//   DocumentSpec lease;
//   lease.name = "Lease";
//   lease.author = "JSMITH";
//   lease.versions = {Version("first draft"), Version("final"), Subversion(1, "note"),
//                     Attachment("A", "scan", "PDF")};
//   lease.folders = {folder};
//   lease.trustees = {User("JSMITH", 255), Group("LEGAL", 63)};
//   int32_t n = docs.Create(lease);
//
// The first Version fills version 1 (the DM's placeholder); the others are
// added in order with AddVersion. While the maker works, no call is
// recorded and no armed fault fires. A refusal throws SiteError naming the
// DM's reason.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dmclient/dm_interfaces.h"

namespace dmsim {

class Emulator;
class Session;
struct LibrarySpec;

struct VersionSpec {
    enum class Kind { Version, Subversion, Attachment };
    Kind kind = Kind::Version;
    std::string content;
    std::string extension = "DOC";
    int32_t of = 0;      // a subversion's version label
    std::string label;   // an attachment's label
    std::string author;  // "": the document's author
    std::string comment;
};

VersionSpec Version(std::string content, std::string extension = "DOC");
VersionSpec Subversion(int32_t of, std::string content, std::string extension = "DOC");
VersionSpec Attachment(std::string label, std::string content, std::string extension = "DOC");

struct TrusteeSpec {
    std::string id;  // USER_ID or GROUP_ID
    int32_t rights = 0;
    bool group = false;
};

TrusteeSpec User(std::string userId, int32_t rights);
TrusteeSpec Group(std::string groupId, int32_t rights);

struct DocumentSpec {
    std::string name;
    std::string form;  // "": the application's default form
    std::string application = "MS WORD";
    std::string author;  // "": the library's user
    std::string typist;
    std::string documentType;
    std::string client;
    std::string matter;
    std::string storageType;
    // Further form columns by name (e-mail columns ...).
    std::map<std::string, dm::Variant> columns;
    std::vector<VersionSpec> versions;
    std::vector<int32_t> folders;
    std::vector<TrusteeSpec> trustees;
};

class DocumentMaker {
public:
    DocumentMaker(Emulator& emulator, const std::string& library);
    DocumentMaker(std::shared_ptr<Session> session, const std::string& library);

    // The new document's number.
    int32_t Create(const DocumentSpec& spec);
    // The new folder's number; filed under the parent when it is not 0.
    int32_t CreateFolder(const std::string& name, int32_t parent = 0, bool isPublic = false);
    void File(int32_t item, int32_t folder);
    // Replaces the item's trustees (DEFAULT_RIGHTS 1 and one SECURITY row
    // each), as the DM's security dialog does.
    void SetTrustees(int32_t item, const std::vector<TrusteeSpec>& trustees);
    // A RELATED row; the other item is in this library unless named.
    void Relate(int32_t item, int32_t other, const std::string& otherLibrary = "");
    // A link from the item to a profile of any library.
    void Link(int32_t item, const std::string& otherLibrary, int32_t other);

    const std::string& Library() const;

private:
    class Quiet;
    dm::ProfilePtr Open(int32_t docNumber);
    std::string StageFile(const std::string& content, const std::string& extension);

    std::shared_ptr<Session> session_;
    const LibrarySpec& library_;
    dm::LibraryPtr libraryObject_;
    std::string stageTag_;
    int staged_ = 0;
};

}  // namespace dmsim
