#include "dmsim/search_dialog.h"

#include "dmsim/dm_errors.h"
#include "dmsim/fault_ops.h"
#include "dmsim/item_collections.h"
#include "dmsim/library_db.h"
#include "dmsim/session.h"

namespace dmsim {

namespace {

std::vector<dm::DmSearchPick> Candidates(LibraryDb& db) {
    const bool itemType = db.Spec().HasColumn(OptionalColumn::ItemType);
    auto rows = db.Query("SELECT P.DOCNUMBER, P.DOCNAME FROM " + db.Table("PROFILE") + " P LEFT JOIN " +
                         db.Table("APPS") +
                         " A ON A.SYSTEM_ID = P.APPLICATION WHERE (A.APPLICATION IS NULL OR "
                         "UPPER(A.APPLICATION) <> 'FOLDER')" +
                         std::string(itemType ? " AND (P.ITEM_TYPE IS NULL OR P.ITEM_TYPE <> 'F')" : "") +
                         " ORDER BY P.DOCNUMBER");
    std::vector<dm::DmSearchPick> out;
    for (const auto& r : rows.rows) out.push_back({db.Name(), static_cast<int32_t>(AsInt(r[0])), AsText(r[1])});
    return out;
}

}  // namespace

int32_t SearchDialog::Show(int32_t mode) {
    const LibrarySpec* library = session_->FindLibrary(
        session_->connectedLibrary.empty() ? session_->Site().currentLibrary : session_->connectedLibrary);
    FaultContext c;
    if (library) c.library = library->name;
    session_->Calls().Record(op::kSearchDialogShow, c.library, 0, {mode, prompt_});
    if (auto f = session_->Faults().Hit(op::kSearchDialogShow, c)) return f->Number();
    picks_.clear();
    if (!session_->dialogHost || !library) return 0;
    std::vector<dm::DmSearchPick> candidates;
    try {
        candidates = Candidates(session_->Db(library->name));
    } catch (...) {
        RethrowAsDmError(kObjectsSource, library->name);
    }
    std::vector<dm::DmSearchPick> picks;
    if (!session_->dialogHost->SearchDocuments(prompt_, candidates, picks)) return 0;
    picks_ = std::move(picks);
    return 1;
}

dm::ProfilesPtr SearchDialog::Results() {
    std::vector<ItemRef> refs;
    for (const auto& p : picks_) refs.push_back({p.library, p.docNumber});
    return std::make_shared<ProfileCollection>(session_, nullptr, [refs] { return refs; });
}

}  // namespace dmsim
