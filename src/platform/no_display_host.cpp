#include "platform/no_display_host.h"

#include "forms/window.h"

namespace platform {

namespace {

const char* AnswerName(int answer) {
    switch (answer) {
        case mb::AnswerCancel: return "Cancel";
        case mb::AnswerAbort: return "Abort";
        case mb::AnswerRetry: return "Retry";
        case mb::AnswerIgnore: return "Ignore";
        case mb::AnswerYes: return "Yes";
        case mb::AnswerNo: return "No";
        default: return "OK";
    }
}

}  // namespace

void NoDisplayHost::Log(const std::string& what, const std::string& text) {
    // A warning, so that it reaches the log whatever the logging level.
    if (log_) log_("Warning: No display - " + what + ": " + text);
}

int NoDisplayHost::MessageBox(const std::string& prompt, int buttons, const std::string& title) {
    if (host_.HasDisplay()) return host_.MessageBox(prompt, buttons, title);
    const int answer = mb::FirstButtonAnswer(buttons);
    Log(std::string("message box answered ") + AnswerName(answer), prompt);
    return answer;
}

std::optional<std::string> NoDisplayHost::InputBox(const std::string& prompt, const std::string& title,
                                                   const std::string& defaultText) {
    if (host_.HasDisplay()) return host_.InputBox(prompt, title, defaultText);
    Log("input box cancelled", prompt);
    return std::nullopt;
}

std::optional<std::string> NoDisplayHost::SaveFileDialog(const FileDialogRequest& request) {
    if (host_.HasDisplay()) return host_.SaveFileDialog(request);
    Log("file dialog cancelled", request.title);
    return std::nullopt;
}

int NoDisplayHost::ChooseOne(const std::string& title, const std::vector<std::string>& items) {
    if (host_.HasDisplay()) return host_.ChooseOne(title, items);
    Log("choice cancelled", title);
    return -1;
}

bool NoDisplayHost::ChooseMany(const std::string& title, const std::vector<std::string>& items,
                               std::vector<int>& chosen) {
    if (host_.HasDisplay()) return host_.ChooseMany(title, items, chosen);
    Log("choice cancelled", title);
    chosen.clear();
    return false;
}

void NoDisplayHost::ShowText(const std::string& title, const std::string& text) {
    if (host_.HasDisplay()) {
        host_.ShowText(title, text);
        return;
    }
    Log("text not shown", title);
}

bool NoDisplayHost::RunModal(forms::Window& window) {
    if (host_.HasDisplay()) {
        if (host_.RunModal(window)) return true;
        if (log_) log_("Error: No view for the window " + window.Name() + " - it cannot be shown");
        return false;
    }
    Log("window closed at once", window.Name());
    window.Open();
    window.Close();
    return true;
}

}  // namespace platform
