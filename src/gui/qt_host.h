#pragma once
// The UI host with real windows: Qt message and input boxes, the save-file
// dialog, list choosers, a text viewer, modal windows built by the views the
// program registers, the wait cursor and the event pump.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui_host.h"

class QWidget;

namespace gui {

class QtHost : public platform::IUiHost {
public:
    // Builds the view of a window model; the view lives while the model is
    // shown modally.
    using ViewFactory = std::function<std::unique_ptr<QWidget>(forms::Window&)>;

    QtHost() = default;
    ~QtHost() override;

    // The view for every modal showing of the window of that name.
    void RegisterView(const std::string& windowName, ViewFactory factory);
    bool HasView(const std::string& windowName) const { return factories_.count(windowName) != 0; }

    int MessageBox(const std::string& prompt, int buttons, const std::string& title) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> SaveFileDialog(const platform::FileDialogRequest& request) override;
    int ChooseOne(const std::string& title, const std::vector<std::string>& items) override;
    bool ChooseMany(const std::string& title, const std::vector<std::string>& items,
                    std::vector<int>& chosen) override;
    void ShowText(const std::string& title, const std::string& text) override;
    // Opens the window, shows the registered view modally until the window
    // is closed, then hides it. Without a view for the window's name (or for
    // its model) the window is closed at once and the answer is false.
    bool RunModal(forms::Window& window) override;
    void SetMousePointer(platform::MousePointer pointer) override;
    platform::MousePointer GetMousePointer() const override { return pointer_; }
    // Lets window events through, at most once per kPumpInterval.
    void PumpEvents() override;
    static constexpr std::chrono::milliseconds kPumpInterval{50};
    void Beep() override;
    // False on the offscreen (and minimal) platform: nobody sees the windows.
    bool HasDisplay() const override;

    // The primary screen's available area.
    std::pair<int, int> ScreenSizeTwips() const override;

private:
    std::map<std::string, ViewFactory> factories_;
    platform::MousePointer pointer_ = platform::MousePointer::Default;
    bool pumped_ = false;
    std::chrono::steady_clock::time_point lastPump_;
};

}  // namespace gui
