#pragma once
// Base of every window model: what the UI host needs to show a window and to
// know when a modal showing ends.

#include <string>

#include "forms/observable.h"

namespace forms {

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

    Signal<> changed;
    Signal<> closed;

protected:
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
    int left_ = 0;
    int top_ = 0;
    int width_ = 9600;
    int height_ = 7200;
};

}  // namespace forms
