#pragma once
// A library's forms (IDmForms) and document applications
// (IDmDocApplications with their forms), as form_catalog.h describes them.

#include <memory>

#include "dmclient/dm_interfaces.h"

namespace dmsim {

class Session;
struct LibrarySpec;

dm::FormsPtr MakeForms(const LibrarySpec& library);
// The library's APPS rows that are enabled and not 'FOLDER', in SYSTEM_ID
// order.
dm::DocApplicationsPtr MakeDocApplications(Session& session, const LibrarySpec& library);

}  // namespace dmsim
