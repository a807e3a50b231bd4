#pragma once
// The DM's search dialog (DmSearchDialogObject). Show offers the documents
// (not folders) of the library the program connected last, or of the DM's
// current library before any connection, to the dialog host and keeps the
// user's picks; without a host it answers as a cancel. Results gives the
// picks' profiles, each from the library the pick names, or nothing for a
// pick whose document is not there.

#include <memory>
#include <string>
#include <vector>

#include "dmclient/dm_factory.h"

namespace dmsim {

class Session;

class SearchDialog : public dm::IDmSearchDialog {
public:
    explicit SearchDialog(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    void SetPrompt(const std::string& prompt) override { prompt_ = prompt; }
    // 0 when the user cancels, 1 otherwise.
    int32_t Show(int32_t mode) override;
    dm::ProfilesPtr Results() override;

private:
    std::shared_ptr<Session> session_;
    std::string prompt_;
    std::vector<dm::DmSearchPick> picks_;
};

}  // namespace dmsim
