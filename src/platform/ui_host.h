#pragma once
// The window system as the program uses it: message and input boxes, the
// save-file dialog, list choosers, modal windows, the mouse pointer and the
// event pump. The Qt host shows real windows; the headless host answers from
// a script and runs queued events at a chosen pump.

#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace forms {
class Window;
}

namespace platform {

// Message-box button and icon codes, and the answers.
namespace mb {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;

inline constexpr int AnswerOk = 1;
inline constexpr int AnswerCancel = 2;
inline constexpr int AnswerAbort = 3;
inline constexpr int AnswerRetry = 4;
inline constexpr int AnswerIgnore = 5;
inline constexpr int AnswerYes = 6;
inline constexpr int AnswerNo = 7;

// The answer a box gives when its first button is taken.
int FirstButtonAnswer(int buttons);
}  // namespace mb

enum class MousePointer { Default = 0, Hourglass = 11 };

struct FileDialogRequest {
    std::string title;
    std::string initialDir;
    std::string fileName;
    std::string defaultExt;
    // "Description|*.ext" pairs separated by "|".
    std::string filter;
};

class IUiHost {
public:
    virtual ~IUiHost() = default;

    // A modal message box; answers the button clicked (mb::Answer*).
    virtual int MessageBox(const std::string& prompt, int buttons, const std::string& title) = 0;
    // Nothing when cancelled.
    virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    // The chosen file, nothing when cancelled.
    virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;
    // Picks one entry (index from 0), -1 when cancelled.
    virtual int ChooseOne(const std::string& title, const std::vector<std::string>& items) = 0;
    // Picks any number of entries; false when cancelled.
    virtual bool ChooseMany(const std::string& title, const std::vector<std::string>& items,
                            std::vector<int>& chosen) = 0;
    // Shows a read-only text in a modal window.
    virtual void ShowText(const std::string& title, const std::string& text) = 0;

    // Shows a window model modally; returns when the window is closed. False
    // when the host has no view of the window's name (a window built without
    // one, or a misspelt name): the window is closed at once.
    virtual bool RunModal(forms::Window& window) = 0;

    virtual void SetMousePointer(MousePointer pointer) = 0;
    virtual MousePointer GetMousePointer() const = 0;

    // Lets pending window events run (input, repaints, clicks).
    virtual void PumpEvents() = 0;

    // The system beep, for an entry that is refused without a message.
    virtual void Beep() {}

    // Whether anybody can see and answer a window: false on the offscreen
    // platform of a server.
    virtual bool HasDisplay() const { return true; }

    // The screen's size in twips (15 to a pixel at the usual resolution);
    // saved window positions off the screen are centred again.
    virtual std::pair<int, int> ScreenSizeTwips() const { return {1920 * 15, 1080 * 15}; }
};

}  // namespace platform
