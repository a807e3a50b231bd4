#pragma once
// One DM document or folder as the client holds it: the state that its
// views (the profile with its relations, the folder) share. A saved item is
// known by its PROFILE.SYSTEM_ID, so an object held across a renumbering by
// SQL follows its row; the document number is read from the row.
//
// Each view carries the item's error info: a refused call sets it, every
// other call of the DM's actions (edit, save, delete, versions, filing,
// removals) sets it back to 0. Closing a view releases the edit lock only;
// the other views of the object go on working.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "dmclient/dm_interfaces.h"
#include "dmsim/dm_errors.h"
#include "dmsim/fault_injector.h"
#include "dmsim/form_catalog.h"

namespace dmsim {

class LibraryDb;
class Session;
struct LibrarySpec;

class DmItem {
public:
    // A new, unsaved document on the form, or a new folder.
    DmItem(std::shared_ptr<Session> session, const LibrarySpec& library, const Form& form);

    // The saved document or folder with that number; nothing when there is
    // none (0 counts as none).
    static std::shared_ptr<DmItem> Open(const std::shared_ptr<Session>& session, const LibrarySpec& library,
                                        int32_t docNumber);
    // The saved item with that SYSTEM_ID; nothing when its row is gone.
    static std::shared_ptr<DmItem> OpenBySystemId(const std::shared_ptr<Session>& session,
                                                  const LibrarySpec& library, int64_t systemId);

    const std::shared_ptr<Session>& GetSession() const { return session_; }
    Session& Sess() const { return *session_; }
    const LibrarySpec& Library() const { return library_; }
    LibraryDb& Db() const;
    dm::LibraryPtr LibraryObject() const;

    bool IsFolder() const { return form_->folder; }
    const Form& GetForm() const { return *form_; }
    bool Saved() const { return systemId_ != 0; }
    int64_t SystemId() const { return systemId_; }
    // The number in the row now; the last one known when the row is gone;
    // 0 while unsaved.
    int32_t DocNumber();
    bool RowExists();
    // DOCNAME: the pending value, else the row's.
    std::string Name();

    // Pending column values, by the column's upper-cased name; set through
    // IDmColumn, written by Save.
    struct Edit {
        dm::Variant value;
        bool valid = true;
    };
    std::map<std::string, Edit>& Edits() { return edits_; }
    void SetEdit(const FormColumn& column, dm::Variant value, bool valid);
    // The column values a fetch of Columns shows: the row's, then the edits.
    std::map<std::string, dm::Variant> ColumnValues();

    bool editOpen = false;

    // Folder-only: the title and a public flag waiting for the folder's
    // Save.
    std::optional<std::string> title;
    std::optional<bool> pendingPublic;
    bool IsPublic();

    // Writes a new item, or the edits of a saved one.
    std::optional<Refusal> Save();
    void AfterSave(int32_t docNumber, int64_t systemId);
    // Applies the pending public flag (ROOT_OBJECT row).
    void ApplyPublicFlag();

    // IDmErrorInfo.
    int32_t errorNumber = 0;
    std::string errorDescription;
    void Succeed() {
        errorNumber = 0;
        errorDescription.clear();
    }
    void Fail(const Refusal& r) {
        errorNumber = r.number;
        errorDescription = r.description;
    }
    // The error an armed fault leaves: its number (0 for AnswerNothing).
    void FailBy(const FaultAction& action) {
        errorNumber = action.number;
        errorDescription = action.description;
    }

    // What fault rules match: the library and the current number; the
    // strings a context refers to must outlive it.
    FaultContext Context(std::string_view name = {}, int32_t index = 0);
    // Checks the operation for an armed fault (raising for Raise).
    std::optional<FaultAction> Hit(std::string_view op, std::string_view name = {}, int32_t index = 0);
    // The same for one of the DM's actions, recorded with its arguments.
    std::optional<FaultAction> Call(std::string_view op, std::vector<dm::Variant> args = {});

private:
    std::shared_ptr<Session> session_;
    const LibrarySpec& library_;
    const Form* form_;
    int64_t systemId_ = 0;
    int32_t docNumber_ = 0;
    std::map<std::string, Edit> edits_;
};

using ItemPtr = std::shared_ptr<DmItem>;

// The answer of a Boolean call on which a fault fired; the item's error is
// set from the fault.
dm::Variant FaultAnswer(DmItem& item, const FaultAction& action);

}  // namespace dmsim
