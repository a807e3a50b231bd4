#pragma once
// The UI host as the program sees it: it passes everything to the real host
// while that host has a display. Without one (the offscreen platform of a
// server) nobody could answer, so no box or dialog is shown: each is written
// to the log and answered as a silenced box is answered (its first button;
// Cancel for input, file and list choices; a modal window closes at once).
// A window the real host has no view for is an error in the log.

#include <functional>
#include <string>

#include "platform/ui_host.h"

namespace platform {

class NoDisplayHost : public IUiHost {
public:
    explicit NoDisplayHost(IUiHost& host) : host_(host) {}

    // Where boxes go without a display: a line for the log.
    void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

    int MessageBox(const std::string& prompt, int buttons, const std::string& title) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
    int ChooseOne(const std::string& title, const std::vector<std::string>& items) override;
    bool ChooseMany(const std::string& title, const std::vector<std::string>& items,
                    std::vector<int>& chosen) override;
    void ShowText(const std::string& title, const std::string& text) override;
    bool RunModal(forms::Window& window) override;
    void SetMousePointer(MousePointer pointer) override { host_.SetMousePointer(pointer); }
    MousePointer GetMousePointer() const override { return host_.GetMousePointer(); }
    void PumpEvents() override { host_.PumpEvents(); }
    void Beep() override { host_.Beep(); }
    bool HasDisplay() const override { return host_.HasDisplay(); }
    std::pair<int, int> ScreenSizeTwips() const override { return host_.ScreenSizeTwips(); }

private:
    void Log(const std::string& what, const std::string& text);

    IUiHost& host_;
    std::function<void(const std::string&)> log_;
};

}  // namespace platform
