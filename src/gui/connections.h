#pragma once
// The connections a view makes to its models' signals, undone when the view
// goes. Models outlive their views.

#include <functional>
#include <utility>
#include <vector>

#include "forms/observable.h"

namespace gui {

class Connections {
public:
    Connections() = default;
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;
    ~Connections() { DisconnectAll(); }

    template <typename... Args, typename Slot>
    void Connect(forms::Signal<Args...>& signal, Slot slot) {
        int id = signal.Connect(std::move(slot));
        undo_.push_back([&signal, id] { signal.Disconnect(id); });
    }

    void DisconnectAll() {
        for (auto& undo : undo_) undo();
        undo_.clear();
    }

private:
    std::vector<std::function<void()>> undo_;
};

}  // namespace gui
