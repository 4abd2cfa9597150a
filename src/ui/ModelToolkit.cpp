#include "ui/ModelToolkit.h"

#include <algorithm>

#include "ui/ScrollThumb.h"

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

Status ModelToolkit::PlaceWindow(int left, int top, int clientWidth, int clientHeight) {
    if (!open_) return Status::NoWindow;
    if (clientWidth < 0 || clientHeight < 0) return Status::OutOfRange;
    windowLeft_ = left;
    windowTop_ = top;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
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
    ForgetTimers();
    timers_.clear();
    return Status::Ok;
}

std::optional<ControlRef> ModelToolkit::FocusedControl() const {
    if (!open_) return std::nullopt;
    return focus_;
}

Status ModelToolkit::ShowMessage(const std::string& text, std::uint32_t type) {
    messages_.push_back({text, kMessageCaption, type});
    return Status::Ok;
}

bool ModelToolkit::ArmTimer(std::uint32_t id, std::uint32_t milliseconds, std::uint64_t start) {
    timers_[id] = Timer{now_ + milliseconds, start};
    return true;
}

Status ModelToolkit::SystemDeviceChange(const DeviceChange& change) {
    if (!open_) return Status::NoWindow;
    RaiseDeviceChange(change);
    return AfterAction(Status::Ok);
}

Status ModelToolkit::SystemDpiChange(int dpi) {
    if (!open_) return Status::NoWindow;
    if (!platform::ScreenDpiInRange(dpi)) return Status::OutOfRange;
    // Rounded to the nearest pixel, as Windows scales the rectangle.
    const auto scaled = [this, dpi](int pixels) {
        return static_cast<int>((static_cast<long long>(pixels) * dpi + Dpi() / 2) / Dpi());
    };
    RaiseDpiChange({dpi, windowLeft_, windowTop_, windowLeft_ + scaled(clientWidth_),
                    windowTop_ + scaled(clientHeight_)});
    return AfterAction(Status::Ok);
}

void ModelToolkit::AdvanceClock(std::uint32_t milliseconds) {
    const std::uint64_t until = now_ + milliseconds;
    RunTimers(until);
    now_ = until;
}

void ModelToolkit::RunTimers(std::uint64_t until) {
    // A handler that keeps restarting a 0 ms timer would never let time pass.
    constexpr int kMaxFirings = 10000;
    for (int fired = 0; fired < kMaxFirings; ++fired) {
        auto next = timers_.end();
        for (auto t = timers_.begin(); t != timers_.end(); ++t) {
            if (t->second.due > until) continue;
            if (next == timers_.end() || t->second.due < next->second.due ||
                (t->second.due == next->second.due && t->second.start < next->second.start)) {
                next = t;
            }
        }
        if (next == timers_.end()) return;
        const std::uint32_t id = next->first;
        const Timer timer = next->second;
        now_ = std::max(now_, timer.due);
        TimerDue(id, timer.start);
        // TimerDue leaves a timer that was stopped behind it alone; drop it here.
        if (auto same = timers_.find(id);
            same != timers_.end() && same->second.start == timer.start) {
            timers_.erase(same);
        }
    }
}

Status ModelToolkit::Realise(ControlRecord& c) {
    c.hwnd = c.HasHwnd() ? NextHwnd() : platform::Hwnd{};
    return Status::Ok;
}

void ModelToolkit::Unrealise(const ControlRecord& gone) {
    if (focus_ == gone.Ref()) focus_.reset();
}

Status ModelToolkit::UserClickCheck(const ControlRef& ref) {
    Status why;
    ModelControl* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::CheckBox) return Status::NoSuchProperty;
    if (!ReachableByUser(*c)) return Status::NotAllowed;
    const std::int16_t next = StateAfterUserClick(c->check);
    MoveFocusTo(ref);
    return AfterAction(SetCheck(ref, next));
}

Status ModelToolkit::UserClickButton(const std::string& name) {
    Status why;
    ModelControl* c = Lookup(Ctl(name), why);
    if (!c) return why;
    if (c->kind != ControlKind::Button) return Status::NoSuchProperty;
    if (!ReachableByUser(*c)) return Status::NotAllowed;
    MoveFocusTo(Ctl(name));
    if (!open_) return Status::Ok;
    RaiseButtonClick(name);
    return AfterAction(Status::Ok);
}

Status ModelToolkit::UserKeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (!open_) return Status::NoWindow;
    if (!shown_) return Status::NotAllowed;
    RaiseKeyDown(keyCode, shift);
    if (!open_) return Status::Ok;  // the handler unloaded the window
    if (keyCode == kKeyTab) {
        MoveFocus((shift & kShiftBit) == 0);
        return AfterAction(Status::Ok);
    }
    // What the focused control makes of the key once the window has seen it.
    const ModelControl* focused = focus_ ? Find(*focus_) : nullptr;
    if (!focused || !ReachableByUser(*focused)) return AfterAction(Status::Ok);
    if (focused->kind == ControlKind::CheckBox && keyCode == kKeySpace) {
        return UserClickCheck(focused->Ref());
    }
    if (focused->kind == ControlKind::Button && (keyCode == kKeySpace || keyCode == kKeyReturn)) {
        return UserClickButton(focused->name);
    }
    return AfterAction(Status::Ok);
}

void ModelToolkit::MoveFocus(bool forward) {
    const ControlRecord* next =
        NextTabStop([&](const ControlRecord& c) { return ReachableByUser(c); },
                    [&](const ControlRecord& c) { return focus_ == c.Ref(); }, forward);
    if (next) MoveFocusTo(next->Ref());
}

void ModelToolkit::MoveFocusTo(const ControlRef& ref) {
    if (focus_ == ref) return;
    focus_ = ref;
    if (shown_) RaiseFocus(ref);
}

Status ModelToolkit::UserScroll(const std::string& name, std::int32_t value) {
    Status why;
    ModelControl* c = Lookup(Ctl(name), why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
    if (!ReachableByUser(*c)) return Status::NotAllowed;
    ScrollSettings next = c->scroll;
    next.value = ClampToRange(value, next.min, next.max);
    StoreScroll(*c, next);
    return AfterAction(Status::Ok);
}

Status ModelToolkit::UserScrollStep(const std::string& name, ScrollAction action) {
    Status why;
    const ModelControl* c = Lookup(Ctl(name), why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
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
    return UserScroll(name,
                      ValueAtThumb(c->scroll, ThumbPosition(c->scroll, c->scroll.value) + step));
}

std::optional<std::pair<int, int>> ModelToolkit::InsideSize(const ControlRef& ref) const {
    const ModelControl* c = Lookup(ref);
    if (!c || c->kind != ControlKind::Pane) return std::nullopt;
    const int border = c->sunkenBorder ? 4 : 0;
    return std::pair{std::max(0, c->width - border), std::max(0, c->height - border)};
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
