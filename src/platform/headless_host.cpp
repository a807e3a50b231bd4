#include "platform/headless_host.h"

#include <stdexcept>

#include "forms/window.h"

namespace platform {

int HeadlessHost::MessageBox(const std::string& prompt, int buttons, const std::string& title) {
    int answer = mb::FirstButtonAnswer(buttons);
    if (!messageAnswers_.empty()) {
        answer = messageAnswers_.front();
        messageAnswers_.pop_front();
    }
    messages_.push_back({prompt, buttons, title, answer});
    return answer;
}

std::optional<std::string> HeadlessHost::InputBox(const std::string& prompt, const std::string&,
                                                  const std::string&) {
    inputPrompts_.push_back(prompt);
    if (inputAnswers_.empty()) return std::nullopt;
    auto answer = inputAnswers_.front();
    inputAnswers_.pop_front();
    return answer;
}

std::optional<std::string> HeadlessHost::SaveFileDialog(const FileDialogRequest&) {
    if (fileAnswers_.empty()) return std::nullopt;
    auto answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
}

int HeadlessHost::ChooseOne(const std::string&, const std::vector<std::string>& items) {
    if (choices_.empty()) return -1;
    Choice c = choices_.front();
    choices_.pop_front();
    if (!c.byText) return c.index < static_cast<int>(items.size()) ? c.index : -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == c.text) return static_cast<int>(i);
    }
    return -1;
}

bool HeadlessHost::ChooseMany(const std::string&, const std::vector<std::string>&,
                              std::vector<int>& chosen) {
    chosen.clear();
    if (multiChoices_.empty()) return false;
    auto answer = multiChoices_.front();
    multiChoices_.pop_front();
    if (!answer) return false;
    chosen = *answer;
    return true;
}

void HeadlessHost::ShowText(const std::string& title, const std::string& text) {
    shownTexts_.push_back(title + "\n" + text);
}

bool HeadlessHost::RunModal(forms::Window& window) {
    modalWindows_.push_back(window.Name());
    auto it = modalHandlers_.find(window.Name());
    if (it == modalHandlers_.end()) {
        throw std::logic_error("The window " + window.Name() + " was shown without a handler (HeadlessHost::OnModal)");
    }
    window.Open();
    it->second(window);
    window.Close();
    return true;
}

void HeadlessHost::PumpEvents() {
    ++pumpCount_;
    // Events may queue further events; take only those due now.
    while (true) {
        auto it = events_.begin();
        if (it == events_.end() || it->first > pumpCount_) break;
        auto event = std::move(it->second);
        events_.erase(it);
        event();
    }
}

void HeadlessHost::AnswerMessages(std::initializer_list<int> answers) {
    messageAnswers_.insert(messageAnswers_.end(), answers);
}

void HeadlessHost::AnswerInputs(std::initializer_list<std::optional<std::string>> answers) {
    inputAnswers_.insert(inputAnswers_.end(), answers);
}

void HeadlessHost::AnswerFileDialogs(std::initializer_list<std::optional<std::string>> answers) {
    fileAnswers_.insert(fileAnswers_.end(), answers);
}

void HeadlessHost::AnswerChoices(std::initializer_list<int> answers) {
    for (int a : answers) choices_.push_back({a, {}, false});
}

void HeadlessHost::AnswerChoiceByText(const std::string& text) { choices_.push_back({-1, text, true}); }

void HeadlessHost::AnswerMultiChoices(
    std::initializer_list<std::optional<std::vector<int>>> answers) {
    multiChoices_.insert(multiChoices_.end(), answers);
}

void HeadlessHost::OnModal(const std::string& windowName,
                           std::function<void(forms::Window&)> handler) {
    modalHandlers_[windowName] = std::move(handler);
}

void HeadlessHost::AtPump(int n, std::function<void()> event) {
    events_.emplace(pumpCount_ + (n < 1 ? 1 : n), std::move(event));
}

}  // namespace platform
