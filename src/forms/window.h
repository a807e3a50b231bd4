#pragma once
// Base of every window model: what the UI host needs to show a window and to
// know when a modal showing ends, the window's own user events, and its
// controls by name (the status line is looked up by name on whichever window
// shows it).

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "forms/observable.h"

namespace forms {

class Control;

class Window {
public:
    explicit Window(std::string name, std::string caption = {})
        : name_(std::move(name)), caption_(std::move(caption)) {}
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& Name() const { return name_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { Set(caption_, caption); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { Set(enabled_, enabled); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { Set(visible_, visible); }

    // Position and size in twips, the unit the stored configuration uses.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Move(int left, int top) {
        if (left == left_ && top == top_) return;
        left_ = left;
        top_ = top;
        changed.Emit();
    }
    void Resize(int width, int height) {
        if (width == width_ && height == height_) return;
        width_ = width;
        height_ = height;
        changed.Emit();
    }

    // A modal showing lasts until the window is closed.
    bool IsOpen() const { return open_; }
    void Open() { Set(open_, true); }
    void Close() {
        if (!open_) return;
        open_ = false;
        changed.Emit();
        closed.Emit();
    }

    // Asks the view to bring the window to the front with the focus.
    void SetFocus() { focusRequested.Emit(); }

    // The window's controls, in the order they were registered.
    const std::vector<Control*>& Controls() const { return controls_; }
    // Nothing when the window has no control of that name.
    Control* FindControl(std::string_view name) const;
    template <typename T>
    T* Find(std::string_view name) const {
        return dynamic_cast<T*>(FindControl(name));
    }

    Signal<> changed;
    Signal<> closed;
    Signal<> focusRequested;
    // User events, emitted by the views; the program connects its handlers.
    // The window sees every key before its controls do.
    Signal<int, int> keyDown;  // key code (keys::*), shift mask (keys::*Mask)
    Signal<int> keyPress;      // character code
    // The user asked to close the window; the program's handler decides,
    // the view never closes by itself.
    Signal<> closeRequested;
    Signal<> activated;

protected:
    // Each window registers its controls once, in its constructor; a name
    // that is already taken throws std::logic_error.
    void Register(Control& control);
    void Register(std::initializer_list<Control*> controls) {
        for (Control* c : controls) Register(*c);
    }

    template <typename T>
    void Set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        changed.Emit();
    }

private:
    std::string name_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = false;
    bool open_ = false;
    std::vector<Control*> controls_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 9600;
    int height_ = 7200;
};

}  // namespace forms
