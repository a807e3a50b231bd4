#pragma once
// The documents of the demo site, made in DOCS through the emulator's own
// objects (document_maker.h) after the demo rows of default_site.h:
//
// - 36 documents of four applications (Word, Excel, PDF, e-mail on the
//   e-mail form), by JSMITH, MJONES, DMADMIN and the disabled FORMER, with
//   document types, clients and matters (one closed);
// - versions with real content, subversions and an attachment;
// - folders: the public "Clients" with "Acme Corporation" and, below it,
//   "Acme v. Globex"; the private "Jane's Drafts"; documents filed there;
// - trustees of users and groups on a few documents and one folder;
// - related items and links; activity rows of other users.
//
// ARCHIVE and ARCHIVE2 hold the people, groups, applications and lookups
// these documents need (from the demo rows), and no documents.

namespace dmsim {

class Emulator;

struct DemoCounts {
    int documents = 0;
    int folders = 0;
};

DemoCounts AddDemoDocuments(Emulator& emulator);

}  // namespace dmsim
