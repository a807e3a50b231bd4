#pragma once
// The UI host of the tests: boxes are answered from a script (or by their
// first button), every box is recorded, and events queued by a test run at
// the n-th pump. A modal window runs the test's handler for its name.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui_host.h"

namespace platform {

class HeadlessHost : public IUiHost {
public:
    struct Message {
        std::string prompt;
        int buttons;
        std::string title;
        int answer;
    };

    int MessageBox(const std::string& prompt, int buttons, const std::string& title) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
    int ChooseOne(const std::string& title, const std::vector<std::string>& items) override;
    bool ChooseMany(const std::string& title, const std::vector<std::string>& items,
                    std::vector<int>& chosen) override;
    void ShowText(const std::string& title, const std::string& text) override;
    // Without a handler for the window's name (OnModal) the test has a fault
    // (a misspelt name, a window it did not expect): throws std::logic_error
    // naming the window, which ends the test.
    bool RunModal(forms::Window& window) override;
    void SetMousePointer(MousePointer pointer) override { pointer_ = pointer; }
    MousePointer GetMousePointer() const override { return pointer_; }
    void PumpEvents() override;
    void Beep() override { ++beeps_; }
    bool HasDisplay() const override { return hasDisplay_; }

    // ---- Script -------------------------------------------------------------
    // Answers for the next message boxes, in order; once they are used up a
    // box takes its first button.
    void AnswerMessages(std::initializer_list<int> answers);
    // Texts for the next input boxes; nothing stands for Cancel. Once used up
    // an input box is cancelled.
    void AnswerInputs(std::initializer_list<std::optional<std::string>> answers);
    // Files for the next save dialogs; nothing stands for Cancel.
    void AnswerFileDialogs(std::initializer_list<std::optional<std::string>> answers);
    // Choices for ChooseOne (an index, -1 to cancel) and, by text, a choice
    // that finds the entry with that text.
    void AnswerChoices(std::initializer_list<int> answers);
    void AnswerChoiceByText(const std::string& text);
    // Choices for ChooseMany; nothing stands for Cancel.
    void AnswerMultiChoices(std::initializer_list<std::optional<std::vector<int>>> answers);
    // What a modal showing of the named window does; the window is closed
    // after it. A handler that does nothing closes the window at once.
    void OnModal(const std::string& windowName, std::function<void(forms::Window&)> handler);

    // Runs the event at the n-th pump from now (1 = the next pump).
    void AtPump(int n, std::function<void()> event);
    // Runs the event at the next pump.
    void Post(std::function<void()> event) { AtPump(1, std::move(event)); }
    // Stands for a server without a display.
    void SetHasDisplay(bool hasDisplay) { hasDisplay_ = hasDisplay; }

    // ---- Record -------------------------------------------------------------
    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<std::string>& InputPrompts() const { return inputPrompts_; }
    const std::vector<std::string>& ShownTexts() const { return shownTexts_; }
    const std::vector<std::string>& ModalWindows() const { return modalWindows_; }
    int PumpCount() const { return pumpCount_; }
    int Beeps() const { return beeps_; }
    void ClearMessages() { messages_.clear(); }

private:
    std::vector<Message> messages_;
    std::vector<std::string> inputPrompts_;
    std::vector<std::string> shownTexts_;
    std::vector<std::string> modalWindows_;
    std::deque<int> messageAnswers_;
    std::deque<std::optional<std::string>> inputAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    struct Choice {
        int index;
        std::string text;
        bool byText;
    };
    std::deque<Choice> choices_;
    std::deque<std::optional<std::vector<int>>> multiChoices_;
    std::map<std::string, std::function<void(forms::Window&)>> modalHandlers_;
    std::multimap<int, std::function<void()>> events_;  // absolute pump number -> event
    int pumpCount_ = 0;
    int beeps_ = 0;
    MousePointer pointer_ = MousePointer::Default;
    bool hasDisplay_ = true;
};

}  // namespace platform
