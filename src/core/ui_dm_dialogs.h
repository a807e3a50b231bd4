#pragma once
// The DM client's own dialogs (library chooser, search dialog, profile
// window) shown through the program's UI host.

#include "dmclient/dm_factory.h"
#include "platform/ui_host.h"

namespace core {

class UiDmDialogs : public dm::IDmDialogHost {
public:
    explicit UiDmDialogs(platform::IUiHost& ui) : ui_(ui) {}

    int ChooseLibrary(const std::vector<std::string>& names) override {
        return ui_.ChooseOne("Select a library", names);
    }

    bool SearchDocuments(const std::string& prompt, const std::vector<dm::DmSearchPick>& candidates,
                         std::vector<dm::DmSearchPick>& picks) override {
        std::vector<std::string> items;
        for (auto& c : candidates) items.push_back(c.library + " #" + std::to_string(c.docNumber) + "  " + c.name);
        std::vector<int> chosen;
        picks.clear();
        if (!ui_.ChooseMany(prompt, items, chosen)) return false;
        for (int i : chosen) {
            if (i >= 0 && i < static_cast<int>(candidates.size())) picks.push_back(candidates[i]);
        }
        return true;
    }

    void DisplayProfile(const std::string& library, int32_t docNumber) override {
        ui_.ShowText("Profile", "Document #" + std::to_string(docNumber) + " in library " + library);
    }

private:
    platform::IUiHost& ui_;
};

}  // namespace core
