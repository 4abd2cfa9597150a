#include "ui/ModelToolkit.h"

#include <algorithm>

namespace plumvane::ui {

Status ModelToolkit::CreateMainWindow(const std::string& caption, int clientWidth,
                                      int clientHeight) {
    if (created_) return Status::AlreadyExists;
    if (clientWidth < 0 || clientHeight < 0) return Status::OutOfRange;
    created_ = open_ = true;
    caption_ = caption;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    windowHwnd_ = NextHwnd();
    return Status::Ok;
}

Status ModelToolkit::AddControl(const ControlSpec& request) {
    if (!open_) return Status::NoWindow;
    if (request.width < 0 || request.height < 0 || !ValidColour(request.backColor)) {
        return Status::OutOfRange;
    }
    const bool nameTaken =
        std::any_of(controls_.begin(), controls_.end(),
                    [&](const ModelControl& c) { return c.name == request.name; });
    if (request.name.empty() || nameTaken) return Status::AlreadyExists;
    if (!request.parent.empty()) {
        const ModelControl* p = Lookup(Ctl(request.parent));
        if (!p || p->kind != ControlKind::Pane) return Status::NoSuchControl;
    }
    ModelControl c;
    c.kind = request.kind;
    c.name = request.name;
    c.index = request.index;
    c.parent = request.parent;
    c.left = request.left;
    c.top = request.top;
    c.width = request.width;
    c.height = request.height;
    c.visible = request.visible;
    c.backColor = request.backColor;
    c.caption = c.HasCaption() ? request.caption : std::string();
    c.fontName = c.HasFont() ? kDefaultFontName : "";
    c.tabIndex = request.tabIndex;
    c.sunkenBorder = request.kind == ControlKind::Pane && request.sunkenBorder;
    if (request.kind == ControlKind::VScrollBar) {
        c.scroll = request.scroll;
        c.scroll.value = ClampToRange(request.scroll.value, request.scroll.min, request.scroll.max);
    }
    c.fromDesign = true;
    if (c.HasHwnd()) c.hwnd = NextHwnd();
    c.zStamp = ++nextZ_;
    controls_.push_back(std::move(c));
    return Status::Ok;
}

std::optional<std::string> ModelToolkit::GetWindowCaption() const {
    if (!open_) return std::nullopt;
    return caption_;
}

Status ModelToolkit::SetWindowCaption(const std::string& caption) {
    if (!open_) return Status::NoWindow;
    caption_ = caption;
    return Status::Ok;
}

std::optional<platform::Hwnd> ModelToolkit::WindowHwnd() const {
    if (!open_) return std::nullopt;
    return windowHwnd_;
}

Status ModelToolkit::Show() {
    if (!open_) return Status::NoWindow;
    shown_ = true;
    return Status::Ok;
}

Status ModelToolkit::Unload() {
    if (!open_) return Status::NoWindow;
    open_ = shown_ = false;
    focus_.reset();
    return Status::Ok;
}

Status ModelToolkit::Focus(const ControlRef& ref) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (!c->TakesFocus()) return Status::NotAllowed;
    focus_ = c->Ref();
    return Status::Ok;
}

std::optional<ControlRef> ModelToolkit::FocusedControl() const {
    if (!open_) return std::nullopt;
    return focus_;
}

Status ModelToolkit::ShowMessage(const std::string& text) {
    messages_.push_back({text, kMessageCaption, 0});
    return Status::Ok;
}

std::vector<ControlRef> ModelToolkit::Controls() const {
    std::vector<ControlRef> refs;
    if (!open_) return refs;
    for (const ModelControl& c : controls_) refs.push_back(c.Ref());
    return refs;
}

std::optional<ControlKind> ModelToolkit::KindOf(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->kind;
}

std::optional<int> ModelToolkit::GetMetric(const ControlRef& ref, Metric m) const {
    const ModelControl* c = Lookup(ref);
    if (!c) return std::nullopt;
    switch (m) {
        case Metric::Left:
            return c->left;
        case Metric::Top:
            return c->top;
        case Metric::Width:
            return c->width;
        case Metric::Height:
            return c->height;
    }
    return std::nullopt;
}

Status ModelToolkit::SetMetric(const ControlRef& ref, Metric m, int pixels) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if ((m == Metric::Width || m == Metric::Height) && pixels < 0) return Status::OutOfRange;
    switch (m) {
        case Metric::Left:
            c->left = pixels;
            break;
        case Metric::Top:
            c->top = pixels;
            break;
        case Metric::Width:
            c->width = pixels;
            break;
        case Metric::Height:
            c->height = pixels;
            break;
    }
    return Status::Ok;
}

std::optional<bool> ModelToolkit::GetVisible(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->visible;
}

Status ModelToolkit::SetVisible(const ControlRef& ref, bool visible) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    c->visible = visible;
    return Status::Ok;
}

std::optional<std::uint32_t> ModelToolkit::GetBackColor(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->backColor;
}

Status ModelToolkit::SetBackColor(const ControlRef& ref, std::uint32_t colour) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (!ValidColour(colour)) return Status::OutOfRange;
    c->backColor = colour;
    return Status::Ok;
}

std::optional<std::string> ModelToolkit::GetCaption(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c || !c->HasCaption()) return std::nullopt;
    return c->caption;
}

Status ModelToolkit::SetCaption(const ControlRef& ref, const std::string& caption) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (!c->HasCaption()) return Status::NoSuchProperty;
    c->caption = caption;
    return Status::Ok;
}

std::optional<std::string> ModelToolkit::GetFontName(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c || !c->HasFont()) return std::nullopt;
    return c->fontName;
}

Status ModelToolkit::SetFontName(const ControlRef& ref, const std::string& face) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (!c->HasFont()) return Status::NoSuchProperty;
    // A Windows face name holds at most 31 characters.
    if (face.empty() || face.size() > 31) return Status::OutOfRange;
    c->fontName = face;
    return Status::Ok;
}

std::optional<platform::Hwnd> ModelToolkit::GetHwnd(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c || !c->HasHwnd()) return std::nullopt;
    return c->hwnd;
}

Status ModelToolkit::BringToFront(const ControlRef& ref) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    c->zStamp = ++nextZ_;
    return Status::Ok;
}

std::optional<std::int16_t> ModelToolkit::GetCheck(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c || c->kind != ControlKind::CheckBox) return std::nullopt;
    return c->check;
}

Status ModelToolkit::SetCheck(const ControlRef& ref, std::int16_t state) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::CheckBox) return Status::NoSuchProperty;
    if (state < kUnchecked || state > kGrayed) return Status::OutOfRange;
    if (c->check == state) return Status::Ok;
    c->check = state;
    // The handler may create or destroy controls: c is not used after this.
    const ControlRef fired = c->Ref();
    if (Sink()) Sink()->OnCheckClick(fired.name, fired.index.value_or(0));
    return Status::Ok;
}

std::optional<std::int16_t> ModelToolkit::GetScroll(const ControlRef& ref, ScrollField f) const {
    const ModelControl* c = Lookup(ref);
    if (!c || c->kind != ControlKind::VScrollBar) return std::nullopt;
    return ScrollFieldOf(c->scroll, f);
}

Status ModelToolkit::SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
    ScrollSettings next;
    if (const Status refused = NextScrollSettings(c->scroll, f, value, next); !Succeeded(refused)) {
        return refused;
    }
    ApplyScroll(*c, next);
    return Status::Ok;
}

void ModelToolkit::ApplyScroll(ModelControl& c, const ScrollSettings& next) {
    const bool moved = c.scroll.value != next.value;
    c.scroll = next;
    if (moved && Sink()) {
        const std::string name = c.name;
        Sink()->OnScrollChange(name);
    }
}

Status ModelToolkit::CreateElement(const std::string& name, std::int16_t index) {
    if (!open_) return Status::NoWindow;
    if (index < 0) return Status::OutOfRange;
    const ModelControl* first = Lookup(Elem(name, 0));
    if (!first) return Status::NoSuchControl;
    if (Lookup(Elem(name, index))) return Status::AlreadyExists;
    ModelControl copy = *first;
    copy.index = index;
    copy.visible = false;
    copy.fromDesign = false;
    // New elements follow every control of the design in the tab order.
    copy.tabIndex = 1000 + index;
    copy.hwnd = copy.HasHwnd() ? NextHwnd() : platform::Hwnd{};
    copy.zStamp = ++nextZ_;
    controls_.push_back(std::move(copy));
    return Status::Ok;
}

Status ModelToolkit::DestroyElement(const std::string& name, std::int16_t index) {
    if (!open_) return Status::NoWindow;
    auto it = std::find_if(controls_.begin(), controls_.end(), [&](const ModelControl& c) {
        return c.name == name && c.index == std::optional<std::int16_t>(index);
    });
    if (it == controls_.end()) return Status::NoSuchControl;
    if (it->fromDesign) return Status::NotAllowed;
    if (focus_ == it->Ref()) focus_.reset();
    controls_.erase(it);
    return Status::Ok;
}

Status ModelToolkit::UserClickCheck(const ControlRef& ref) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::CheckBox) return Status::NoSuchProperty;
    if (!ReachableByUser(*c)) return Status::NotAllowed;
    focus_ = c->Ref();
    return SetCheck(ref, StateAfterUserClick(c->check));
}

Status ModelToolkit::UserClickButton(const std::string& name) {
    Status why;
    ModelControl* c = Lookup(Ctl(name), why);
    if (!c) return why;
    if (c->kind != ControlKind::Button) return Status::NoSuchProperty;
    if (!ReachableByUser(*c)) return Status::NotAllowed;
    focus_ = c->Ref();
    if (Sink()) Sink()->OnButtonClick(name);
    return Status::Ok;
}

Status ModelToolkit::UserKeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (!open_) return Status::NoWindow;
    if (!shown_) return Status::NotAllowed;
    if (Sink()) Sink()->OnKeyDown(keyCode, shift);
    if (keyCode == kKeyTab && open_) MoveFocus((shift & kShiftBit) == 0);
    return Status::Ok;
}

void ModelToolkit::MoveFocus(bool forward) {
    std::vector<const ModelControl*> order;
    for (const ModelControl& c : controls_) {
        if (c.TakesFocus() && ReachableByUser(c)) order.push_back(&c);
    }
    if (order.empty()) return;
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    auto it = std::find_if(order.begin(), order.end(),
                           [&](const ModelControl* c) { return focus_ == c->Ref(); });
    std::size_t next = forward ? 0 : order.size() - 1;
    if (it != order.end()) {
        const auto at = static_cast<std::size_t>(it - order.begin());
        next = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    }
    focus_ = order[next]->Ref();
}

Status ModelToolkit::UserScroll(const std::string& name, std::int32_t value) {
    Status why;
    ModelControl* c = Lookup(Ctl(name), why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
    if (!ReachableByUser(*c)) return Status::NotAllowed;
    ScrollSettings next = c->scroll;
    next.value = ClampToRange(value, next.min, next.max);
    ApplyScroll(*c, next);
    return Status::Ok;
}

Status ModelToolkit::UserScrollStep(const std::string& name, ScrollAction action) {
    Status why;
    const ModelControl* c = Lookup(Ctl(name), why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
    // Down the bar means from the minimum towards the maximum, whichever is larger.
    const int direction = c->scroll.max >= c->scroll.min ? 1 : -1;
    int step = 0;
    switch (action) {
        case ScrollAction::LineUp:
            step = -c->scroll.smallChange;
            break;
        case ScrollAction::LineDown:
            step = c->scroll.smallChange;
            break;
        case ScrollAction::PageUp:
            step = -c->scroll.largeChange;
            break;
        case ScrollAction::PageDown:
            step = c->scroll.largeChange;
            break;
    }
    return UserScroll(name, c->scroll.value + direction * step);
}

const ModelControl* ModelToolkit::Find(const ControlRef& ref) const {
    for (const ModelControl& c : controls_) {
        if (c.name == ref.name && c.index == ref.index) return &c;
    }
    return nullptr;
}

std::optional<std::pair<int, int>> ModelToolkit::InsideSize(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c || c->kind != ControlKind::Pane) return std::nullopt;
    const int border = c->sunkenBorder ? 4 : 0;
    return std::pair{std::max(0, c->width - border), std::max(0, c->height - border)};
}

ModelControl* ModelToolkit::Lookup(const ControlRef& ref, Status& why) {
    if (!open_) {
        why = Status::NoWindow;
        return nullptr;
    }
    auto* c = const_cast<ModelControl*>(Find(ref));
    why = c ? Status::Ok : Status::NoSuchControl;
    return c;
}

const ModelControl* ModelToolkit::Lookup(const ControlRef& ref) const {
    return open_ ? Find(ref) : nullptr;
}

bool ModelToolkit::ReachableByUser(const ModelControl& c) const {
    if (!shown_ || !c.visible) return false;
    for (const ModelControl* p = c.parent.empty() ? nullptr : Find(Ctl(c.parent)); p;
         p = p->parent.empty() ? nullptr : Find(Ctl(p->parent))) {
        if (!p->visible) return false;
    }
    return true;
}

}  // namespace plumvane::ui
