#pragma once
// Where the DM keeps a document's component files and how it names them.
//
// A component file lives at DOCSERVER_LOC + PATH + COMPONENTS.PATH, the
// three texts joined as they are: DOCSERVER_LOC is the library's
// document-server folder and PATH the owner's folder below it ("DOCSADM/"),
// both ending with "/"; COMPONENTS.PATH is a bare file name. Stored paths
// use "/"; paths handed in may use "\" as well.
//
// File names are <code><VV><s>.<EXT>: code is letters derived from the
// profile's SYSTEM_ID (never reused, so a document renumbered by SQL keeps
// its names and no later document takes them; letters only, so the version
// digits that follow never run into it); VV the version number in two
// digits (all its digits beyond 99); s '!' for a version or an attachment
// and the letter of a subversion; EXT the added file's extension
// upper-cased, for the placeholder the application's default extension or
// DOC. Example: AFK02!.DOC.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dmsim {

class LibraryDb;

inline constexpr const char* kPlaceholderExtension = "DOC";

std::string DocumentCode(int64_t systemId);
std::string ComponentName(std::string_view code, int32_t version, char subversion, std::string_view extension);
// PROFILE.PATH of a new document: the owner's folder, ending with "/".
std::string DocumentFolder(const LibraryDb& db);

// "\" read as "/".
std::filesystem::path NativePath(std::string_view path);
// The text after the last "/" or "\".
std::string FileNameOf(std::string_view path);
// The extension of a file name (after its last "."), upper-cased; "" when
// it has none.
std::string ExtensionOf(std::string_view fileName);

}  // namespace dmsim
