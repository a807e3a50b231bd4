#include "core/run_options.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "dmclient/variant.h"
#include "forms/main_window.h"

namespace core {

namespace {

bool CheckedOnly(const forms::CheckBox& box) { return box.Value() == 1; }
bool UnlessClear(const forms::CheckBox& box) { return box.Value() != 0; }

}  // namespace

bool RunOptions::Copy() const { return w_.OptionCopy.Value(); }
bool RunOptions::Transfer() const { return w_.OptionTransfer.Value(); }
bool RunOptions::Move() const { return !Copy() && !Transfer(); }

bool RunOptions::MetadataOnly() const { return CheckedOnly(w_.CheckMetaData); }
bool RunOptions::RetainNumber() const { return UnlessClear(w_.CheckRetainNumber); }
bool RunOptions::AppendLibraryName() const { return CheckedOnly(w_.CheckAppendLibName); }
bool RunOptions::MakeTargetReadOnly() const { return UnlessClear(w_.CheckMakeReadOnlyTarget); }
bool RunOptions::CopyActivityLog() const { return CheckedOnly(w_.CheckActivityLog); }
bool RunOptions::KeepAllAudits() const { return UnlessClear(w_.CheckAllAudits); }
bool RunOptions::FileIntoFolders() const { return CheckedOnly(w_.CheckFolders); }
bool RunOptions::RemoveCopiesOfDeleted() const { return CheckedOnly(w_.CheckRemoveDeletedDocs); }
double RunOptions::MaxActivityRows() const { return dm::LeadingNumber(w_.TextMaxActLogRows.Text()); }

bool RunOptions::MakeSourceReadOnly() const { return UnlessClear(w_.CheckMakeReadOnlySource); }
bool RunOptions::CheckOutVersions() const { return CheckedOnly(w_.CheckEncryption); }
bool RunOptions::CopyEncryptionKeys() const { return w_.CheckEncryption.Value() == 0; }
bool RunOptions::TakeReadOnlyDate() const { return CheckedOnly(w_.CheckMakeReadOnlyTarget); }

const std::string& RunOptions::SourceLibrary() const { return w_.SourceLibraryCombo.Text(); }
bool RunOptions::HasTarget() const {
    const std::string source = Upper(SourceLibrary());
    const auto& items = w_.LibBox.Items();
    return std::any_of(items.begin(), items.end(),
                       [&](const forms::ListItem& i) { return i.checked && Upper(i.text) != source; });
}
bool RunOptions::SourceCheckedAsTarget() const {
    const std::string source = Upper(SourceLibrary());
    const auto& items = w_.LibBox.Items();
    return std::any_of(items.begin(), items.end(),
                       [&](const forms::ListItem& i) { return i.checked && Upper(i.text) == source; });
}
bool RunOptions::DisplayErrors() const { return CheckedOnly(w_.CheckDisplayErrors); }
bool RunOptions::VerboseLogging() const { return CheckedOnly(w_.CheckLogMethod); }
bool RunOptions::AlternateDateFormat() const { return CheckedOnly(w_.CheckUseAlternateDateFormat); }
bool RunOptions::Loop() const { return CheckedOnly(w_.CheckLoop); }
bool RunOptions::LockComputer() const { return CheckedOnly(w_.CheckLockComputer); }
bool RunOptions::PauseWindow() const { return CheckedOnly(w_.CheckPauseTime); }
bool RunOptions::DescendingOrder() const { return CheckedOnly(w_.CheckProcessOrder); }
double RunOptions::RetryLimit() const { return std::fabs(dm::LeadingNumber(w_.TextRetryCount.Text())); }
const std::string& RunOptions::BatchSizeText() const { return w_.TextBatchSize.Text(); }
double RunOptions::BatchSize() const { return dm::LeadingNumber(BatchSizeText()); }
double RunOptions::LoopDelaySeconds() const { return dm::LeadingNumber(w_.TextLoopDelay.Text()); }
const std::string& RunOptions::PauseStartText() const { return w_.TextPauseStart.Text(); }
const std::string& RunOptions::PauseEndText() const { return w_.TextPauseEnd.Text(); }

}  // namespace core
