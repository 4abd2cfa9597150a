#pragma once
// The toolkit in memory: what the form's tests and the headless driver run on.
// It keeps every rule of Toolkit.h, takes the user's actions as calls, records
// message boxes (answered with OK) and hands out fake window handles.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Toolkit.h"

namespace plumvane::ui {

// One control as the model holds it; also what a dump of the window reads.
struct ModelControl {
    ControlKind kind = ControlKind::Label;
    std::string name;
    std::optional<std::int16_t> index;
    std::string parent;  // empty: the window
    int left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    std::uint32_t backColor = kButtonFace;
    std::string caption;
    std::string fontName = kDefaultFontName;
    std::int16_t check = kUnchecked;
    ScrollSettings scroll;
    int tabIndex = 0;
    bool sunkenBorder = false;
    bool fromDesign = true;
    platform::Hwnd hwnd{};     // null for labels
    std::uint64_t zStamp = 0;  // larger: nearer the front among siblings

    ControlRef Ref() const { return {name, index}; }
    bool HasFont() const { return kind != ControlKind::VScrollBar; }
    bool HasCaption() const { return kind == ControlKind::Label || kind == ControlKind::Button; }
    bool HasHwnd() const { return kind != ControlKind::Label; }
    bool TakesFocus() const { return kind != ControlKind::Label; }
};

struct RecordedMessage {
    std::string text;
    std::string caption;
    std::uint32_t type = 0;  // MB_OK, no icon
    friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown };

class ModelToolkit : public Toolkit {
public:
    explicit ModelToolkit(int dpi = 96) : dpi_(dpi) {}

    // --- Toolkit -------------------------------------------------------------
    int Dpi() const override { return dpi_; }
    Status CreateMainWindow(const std::string& caption, int clientWidth, int clientHeight) override;
    Status AddControl(const ControlSpec& request) override;
    std::optional<std::string> GetWindowCaption() const override;
    Status SetWindowCaption(const std::string& caption) override;
    std::optional<platform::Hwnd> WindowHwnd() const override;
    Status Show() override;
    Status Unload() override;
    bool IsOpen() const override { return open_; }
    Status Focus(const ControlRef& ref) override;
    std::optional<ControlRef> FocusedControl() const override;
    Status ShowMessage(const std::string& text) override;

    std::vector<ControlRef> Controls() const override;
    std::optional<ControlKind> KindOf(const ControlRef& ref) const override;
    std::optional<int> GetMetric(const ControlRef& ref, Metric m) const override;
    Status SetMetric(const ControlRef& ref, Metric m, int pixels) override;
    std::optional<bool> GetVisible(const ControlRef& ref) const override;
    Status SetVisible(const ControlRef& ref, bool visible) override;
    std::optional<std::uint32_t> GetBackColor(const ControlRef& ref) const override;
    Status SetBackColor(const ControlRef& ref, std::uint32_t colour) override;
    std::optional<std::string> GetCaption(const ControlRef& ref) const override;
    Status SetCaption(const ControlRef& ref, const std::string& caption) override;
    std::optional<std::string> GetFontName(const ControlRef& ref) const override;
    Status SetFontName(const ControlRef& ref, const std::string& face) override;
    std::optional<platform::Hwnd> GetHwnd(const ControlRef& ref) const override;
    Status BringToFront(const ControlRef& ref) override;
    std::optional<std::int16_t> GetCheck(const ControlRef& ref) const override;
    Status SetCheck(const ControlRef& ref, std::int16_t state) override;
    std::optional<std::int16_t> GetScroll(const ControlRef& ref, ScrollField f) const override;
    Status SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) override;
    Status CreateElement(const std::string& name, std::int16_t index) override;
    Status DestroyElement(const std::string& name, std::int16_t index) override;

    // --- the user's actions ----------------------------------------------------
    // Each needs the window shown and the control visible (with its panes).
    Status UserClickCheck(const ControlRef& ref);
    Status UserClickButton(const std::string& name);
    // The window's key-down event first; then Tab moves the focus.
    Status UserKeyDown(std::int16_t keyCode, std::int16_t shift = 0);
    // The thumb released at this value (kept inside the range).
    Status UserScroll(const std::string& name, std::int32_t value);
    Status UserScrollStep(const std::string& name, ScrollAction action);

    // --- inspection --------------------------------------------------------------
    // Every control in creation order; still readable after Unload.
    const std::vector<ModelControl>& Inspect() const { return controls_; }
    const ModelControl* Find(const ControlRef& ref) const;
    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    bool IsShown() const { return shown_; }
    std::string WindowCaptionText() const { return caption_; }
    std::pair<int, int> ClientSize() const { return {clientWidth_, clientHeight_}; }
    // A pane's inside: its size less the border.
    std::optional<std::pair<int, int>> InsideSize(const ControlRef& ref) const;

private:
    ModelControl* Lookup(const ControlRef& ref, Status& why);
    const ModelControl* Lookup(const ControlRef& ref) const;
    bool ReachableByUser(const ModelControl& c) const;
    // Tab and Shift+Tab: the next control in tab order that can take the focus.
    void MoveFocus(bool forward);
    // Stores a new scroll setting and raises the change event when the value moved.
    void ApplyScroll(ModelControl& c, const ScrollSettings& next);
    platform::Hwnd NextHwnd() { return static_cast<platform::Hwnd>(nextHwnd_ += 4); }

    int dpi_;
    bool created_ = false, open_ = false, shown_ = false;
    std::string caption_;
    int clientWidth_ = 0, clientHeight_ = 0;
    platform::Hwnd windowHwnd_{};
    std::uintptr_t nextHwnd_ = 0x10000;
    std::uint64_t nextZ_ = 0;
    std::vector<ModelControl> controls_;
    std::optional<ControlRef> focus_;
    std::vector<RecordedMessage> messages_;
};

}  // namespace plumvane::ui
