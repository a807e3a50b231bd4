#pragma once
// Base of every control model: the state the program reads and writes on any
// control, and the user events that reach the program through it.

#include <string>

#include "forms/observable.h"

namespace forms {

// Colours are 0xBBGGRR integers, as the program writes them; the default
// colour leaves the control in its window's normal text colour.
inline constexpr int kDefaultColor = -1;

// Mouse button codes carried by mouse events.
namespace mouse {
inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;
inline constexpr int MiddleButton = 4;
}  // namespace mouse

class Control {
public:
    explicit Control(std::string name, std::string caption = {}, std::string toolTip = {})
        : name_(std::move(name)), caption_(std::move(caption)), toolTip_(std::move(toolTip)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }

    // Captions keep their "&" access keys.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { Set(caption_, caption); }

    const std::string& ToolTip() const { return toolTip_; }
    void SetToolTip(const std::string& toolTip) { Set(toolTip_, toolTip); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { Set(enabled_, enabled); }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { Set(visible_, visible); }

    int ForeColor() const { return foreColor_; }
    void SetForeColor(int color) { Set(foreColor_, color); }

    // Position and size in twips. The program moves frames by them; the Qt
    // views lay controls out themselves and use only the widths of columns.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { Set(left_, left); }
    void SetTop(int top) { Set(top_, top); }
    void SetWidth(int width) { Set(width_, width); }
    void SetHeight(int height) { Set(height_, height); }

    // Asks the view to give this control the keyboard focus.
    void SetFocus() { focusRequested.Emit(); }

    Signal<> changed;
    Signal<> focusRequested;
    // User events, emitted by the views.
    Signal<> gotFocus;
    Signal<> lostFocus;
    Signal<int, int> mouseUp;  // button (mouse::*), shift mask (keys::*Mask)

protected:
    template <typename T>
    bool Set(T& field, const T& value) {
        if (field == value) return false;
        field = value;
        changed.Emit();
        return true;
    }

private:
    std::string name_;
    std::string caption_;
    std::string toolTip_;
    bool enabled_ = true;
    bool visible_ = true;
    int foreColor_ = kDefaultColor;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace forms
