#pragma once
// The queue administration commands of the main window's "&Setup" menu:
// queueing documents by hand (all available documents, those of closed
// matters, those picked in the DM search dialog), re-enabling disabled
// lookup entries, and opening the pending rows and last-key views. Each
// command puts the DM session and the main window's status text back as it
// found them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "queueadmin/queue_statements.h"

namespace core {
class Program;
}

namespace queueadmin {

class QueueAdmin {
public:
    explicit QueueAdmin(core::Program& program) : p_(program) {}
    QueueAdmin(const QueueAdmin&) = delete;
    QueueAdmin& operator=(const QueueAdmin&) = delete;

    // The two views, shown modally (wired by the assembly).
    std::function<void()> showPendingRows;
    std::function<void()> showLastKeys;

    void MNDorvaneAddAllDocs_Click();
    void MNDorvaneAddClosedDocMatters_Click();
    void MNDorvaneAddQueryDocs_Click();
    void MNDorvaneEnableMetadata_Click();
    void MNDorvaneDisplayRows_Click();
    void MNDorvaneCheckLastKeys_Click();

    // The tables of the connected library with a DISABLED column, as its
    // data dictionary lists them; `failure` receives what failed, "" when
    // the dictionary could be read.
    std::vector<std::string> DisabledColumnTables(std::string* failure = nullptr);
    // Re-enables the disabled entries of the tables: the rows really
    // changed; a table whose update failed adds a line to `failures`.
    int32_t ReenableDisabledMetadata(const std::vector<std::string>& tables,
                                     std::vector<std::string>* failures = nullptr);

private:
    // The library and status text a command found, put back on every way
    // out.
    class Restore;

    // The checked targets of the main window other than the connected
    // library, in list order.
    std::vector<std::string> Targets();
    bool QueueInstalled();
    // For each target with documents to add: the status line (when given),
    // the question, the insert. False when the user said no. A count or an
    // insert that failed adds its line to `failures` and the next target
    // follows.
    bool QueueForTargets(DocumentChoice choice, const std::string& statusText, int32_t& total,
                         std::vector<std::string>& failures);
    // The close-date column of MATTER, "" after a warning.
    std::string MatterCloseDateColumn();

    core::Program& p_;
};

}  // namespace queueadmin
