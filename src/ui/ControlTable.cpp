#include "ui/ControlTable.h"

#include <algorithm>
#include <utility>

namespace plumvane::ui {

Status ControlTable::AddControl(const ControlRequest& request) {
    if (!IsOpen()) return Status::NoWindow;
    if (request.width < 0 || request.height < 0 || !ValidColour(request.backColor)) {
        return Status::OutOfRange;
    }
    const bool nameTaken =
        std::any_of(controls_.begin(), controls_.end(),
                    [&](const ControlRecord& c) { return c.name == request.name; });
    if (request.name.empty() || nameTaken) return Status::AlreadyExists;
    if (!request.parent.empty()) {
        const ControlRecord* p = Lookup(Ctl(request.parent));
        if (!p || p->kind != ControlKind::Pane) return Status::NoSuchControl;
    }
    ControlRecord c;
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
    return AddRecord(std::move(c));
}

Status ControlTable::CreateElement(const std::string& name, std::int16_t index) {
    if (!IsOpen()) return Status::NoWindow;
    if (index < 0) return Status::OutOfRange;
    const ControlRecord* first = Lookup(Elem(name, 0));
    if (!first) return Status::NoSuchControl;
    if (Lookup(Elem(name, index))) return Status::AlreadyExists;
    ControlRecord copy = *first;
    copy.index = index;
    copy.visible = false;
    copy.fromDesign = false;
    // New elements follow every control of the design in the tab order.
    copy.tabIndex = 1000 + index;
    copy.hwnd = {};
    copy.redrawHolds = 0;
    return AddRecord(std::move(copy));
}

Status ControlTable::AddRecord(ControlRecord c) {
    c.zStamp = ++nextZ_;
    controls_.push_back(std::move(c));
    const Status s = Realise(controls_.back());
    if (!Succeeded(s)) controls_.pop_back();
    return s;
}

Status ControlTable::DestroyElement(const std::string& name, std::int16_t index) {
    if (!IsOpen()) return Status::NoWindow;
    auto it = std::find_if(controls_.begin(), controls_.end(), [&](const ControlRecord& c) {
        return c.name == name && c.index == std::optional<std::int16_t>(index);
    });
    if (it == controls_.end()) return Status::NoSuchControl;
    if (it->fromDesign) return Status::NotAllowed;
    const ControlRecord gone = std::move(*it);
    controls_.erase(it);
    Unrealise(gone);
    return Status::Ok;
}

Status ControlTable::SuspendRedraw(const ControlRef& ref) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (c->redrawHolds++ == 0) HoldRedraw(*c, true);
    return Status::Ok;
}

Status ControlTable::ResumeRedraw(const ControlRef& ref) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (c->redrawHolds == 0) return Status::NotAllowed;
    if (--c->redrawHolds == 0) HoldRedraw(*c, false);
    return Status::Ok;
}

Status ControlTable::Focus(const ControlRef& ref) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (!c->TakesFocus()) return Status::NotAllowed;
    GiveFocus(*c);
    return Status::Ok;
}

std::vector<ControlRef> ControlTable::Controls() const {
    std::vector<ControlRef> refs;
    if (!IsOpen()) return refs;
    for (const ControlRecord& c : controls_) refs.push_back(c.Ref());
    return refs;
}

std::optional<ControlKind> ControlTable::KindOf(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->kind;
}

std::optional<int> ControlTable::GetMetric(const ControlRef& ref, Metric m) const {
    const ControlRecord* c = Lookup(ref);
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

Status ControlTable::SetMetric(const ControlRef& ref, Metric m, int pixels) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if ((m == Metric::Width || m == Metric::Height) && pixels < 0) return Status::OutOfRange;
    int l = c->left, t = c->top, w = c->width, h = c->height;
    switch (m) {
        case Metric::Left:
            l = pixels;
            break;
        case Metric::Top:
            t = pixels;
            break;
        case Metric::Width:
            w = pixels;
            break;
        case Metric::Height:
            h = pixels;
            break;
    }
    if (!Place(*c, l, t, w, h)) return Status::Failed;
    c->left = l;
    c->top = t;
    c->width = w;
    c->height = h;
    return Status::Ok;
}

std::optional<bool> ControlTable::GetVisible(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->visible;
}

Status ControlTable::SetVisible(const ControlRef& ref, bool visible) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    ShowControl(*c, visible);
    c->visible = visible;
    return Status::Ok;
}

std::optional<std::uint32_t> ControlTable::GetBackColor(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c) return std::nullopt;
    return c->backColor;
}

Status ControlTable::SetBackColor(const ControlRef& ref, std::uint32_t colour) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (!ValidColour(colour)) return Status::OutOfRange;
    if (!Recolour(*c, colour)) return Status::Failed;
    c->backColor = colour;
    return Status::Ok;
}

std::optional<std::string> ControlTable::GetCaption(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c || !c->HasCaption()) return std::nullopt;
    return c->caption;
}

Status ControlTable::SetCaption(const ControlRef& ref, const std::string& caption) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (!c->HasCaption()) return Status::NoSuchProperty;
    if (!Retitle(*c, caption)) return Status::Failed;
    c->caption = caption;
    return Status::Ok;
}

std::optional<std::string> ControlTable::GetFontName(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c || !c->HasFont()) return std::nullopt;
    return c->fontName;
}

Status ControlTable::SetFontName(const ControlRef& ref, const std::string& face) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (!c->HasFont()) return Status::NoSuchProperty;
    // A Windows face name holds at most 31 characters.
    if (face.empty() || face.size() > 31) return Status::OutOfRange;
    if (!Refont(*c, face)) return Status::Failed;
    c->fontName = face;
    return Status::Ok;
}

std::optional<platform::Hwnd> ControlTable::GetHwnd(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c || !c->HasHwnd()) return std::nullopt;
    return c->hwnd;
}

Status ControlTable::BringToFront(const ControlRef& ref) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (!Restack(*c)) return Status::Failed;
    c->zStamp = ++nextZ_;
    return Status::Ok;
}

std::optional<std::int16_t> ControlTable::GetCheck(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c || c->kind != ControlKind::CheckBox) return std::nullopt;
    return c->check;
}

Status ControlTable::SetCheck(const ControlRef& ref, std::int16_t state) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::CheckBox) return Status::NoSuchProperty;
    if (state < kUnchecked || state > kGrayed) return Status::OutOfRange;
    SetCheckState(*c, state);
    return Status::Ok;
}

std::optional<std::string> ControlTable::GetAccessibleName(const ControlRef& ref) const {
    const ControlRecord* c = Lookup(ref);
    if (!c || c->kind != ControlKind::CheckBox) return std::nullopt;
    return c->accessibleName;
}

Status ControlTable::SetAccessibleName(const ControlRef& ref, const std::string& name) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::CheckBox) return Status::NoSuchProperty;
    if (!RenameForReaders(*c, name)) return Status::Failed;
    c->accessibleName = name;
    return Status::Ok;
}

void ControlTable::StoreCheck(ControlRecord& c, std::int16_t state) {
    if (c.check == state) return;
    c.check = state;
    RaiseCheckClick(c.Ref());
}

std::optional<std::int16_t> ControlTable::GetScroll(const ControlRef& ref, ScrollField f) const {
    const ControlRecord* c = Lookup(ref);
    if (!c || c->kind != ControlKind::VScrollBar) return std::nullopt;
    return ScrollFieldOf(c->scroll, f);
}

Status ControlTable::SetScroll(const ControlRef& ref, ScrollField f, std::int32_t value) {
    Status why;
    ControlRecord* c = Lookup(ref, why);
    if (!c) return why;
    if (c->kind != ControlKind::VScrollBar) return Status::NoSuchProperty;
    ScrollSettings next;
    if (const Status refused = NextScrollSettings(c->scroll, f, value, next); !Succeeded(refused)) {
        return refused;
    }
    StoreScroll(*c, next);
    return Status::Ok;
}

void ControlTable::StoreScroll(ControlRecord& c, const ScrollSettings& next) {
    const bool moved = c.scroll.value != next.value;
    c.scroll = next;
    ShowScroll(c);
    if (moved) RaiseScrollChange(c.name);
}

// Each copies what it hands on: the handler may destroy the record it came from.
void ControlTable::RaiseKeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (Sink()) Sink()->OnKeyDown(keyCode, shift);
}

void ControlTable::RaiseCheckClick(const ControlRef& ref) {
    if (!Sink()) return;
    const ControlRef fired = ref;
    Sink()->OnCheckClick(fired.name, fired.index.value_or(0));
}

void ControlTable::RaiseButtonClick(const std::string& name) {
    if (!Sink()) return;
    const std::string fired = name;
    Sink()->OnButtonClick(fired);
}

void ControlTable::RaiseScrollChange(const std::string& name) {
    if (!Sink()) return;
    const std::string fired = name;
    Sink()->OnScrollChange(fired);
}

void ControlTable::RaiseDeviceChange(const DeviceChange& change) {
    if (!Sink()) return;
    const DeviceChange fired = change;
    Sink()->OnDeviceChange(fired);
}

void ControlTable::RaiseDpiChange(const DpiChange& change) {
    if (!Sink()) return;
    const DpiChange fired = change;
    Sink()->OnDpiChange(fired);
}

Status ControlTable::SetDpi(int dpi) {
    if (!platform::ScreenDpiInRange(dpi)) return Status::OutOfRange;
    if (!Rescale(dpi)) return Status::Failed;
    dpi_ = dpi;
    return Status::Ok;
}

Status ControlTable::StartTimer(std::uint32_t id, std::uint32_t milliseconds) {
    if (!IsOpen()) return Status::NoWindow;
    const std::uint64_t start = ++lastStart_;
    if (!ArmTimer(id, milliseconds, start)) return Status::Failed;
    timers_[id] = start;
    return Status::Ok;
}

Status ControlTable::StopTimer(std::uint32_t id) {
    if (timers_.erase(id) != 0) DisarmTimer(id);
    return Status::Ok;
}

void ControlTable::TimerDue(std::uint32_t id, std::optional<std::uint64_t> start) {
    const auto running = timers_.find(id);
    if (running == timers_.end() || (start && *start != running->second)) return;
    // One-shot: gone before its handler runs, which may start it again.
    timers_.erase(running);
    DisarmTimer(id);
    if (Sink()) Sink()->OnTimer(id);
}

void ControlTable::RaiseFocus(const ControlRef& ref) {
    if (!Sink()) return;
    const ControlRef fired = ref;
    Sink()->OnFocus(fired.name, fired.index.value_or(0));
}

const ControlRecord* ControlTable::Find(const ControlRef& ref) const {
    for (const ControlRecord& c : controls_) {
        if (c.name == ref.name && c.index == ref.index) return &c;
    }
    return nullptr;
}

ControlRecord* ControlTable::Lookup(const ControlRef& ref, Status& why) {
    if (!IsOpen()) {
        why = Status::NoWindow;
        return nullptr;
    }
    auto* c = const_cast<ControlRecord*>(Find(ref));
    why = c ? Status::Ok : Status::NoSuchControl;
    return c;
}

const ControlRecord* ControlTable::Lookup(const ControlRef& ref) const {
    return IsOpen() ? Find(ref) : nullptr;
}

const ControlRecord* ControlTable::FindByHwnd(platform::Hwnd h) const {
    if (h == platform::Hwnd{}) return nullptr;
    for (const ControlRecord& c : controls_) {
        if (c.hwnd == h) return &c;
    }
    return nullptr;
}

ControlRecord* ControlTable::FindByHwnd(platform::Hwnd h) {
    return const_cast<ControlRecord*>(std::as_const(*this).FindByHwnd(h));
}

const ControlRecord* ControlTable::NextTabStop(
    const std::function<bool(const ControlRecord&)>& canFocus,
    const std::function<bool(const ControlRecord&)>& isCurrent, bool forward) const {
    std::vector<const ControlRecord*> order;
    for (const ControlRecord& c : controls_) {
        if (c.TabStop() && canFocus(c)) order.push_back(&c);
    }
    if (order.empty()) return nullptr;
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    auto it = std::find_if(order.begin(), order.end(),
                           [&](const ControlRecord* c) { return isCurrent(*c); });
    std::size_t next = forward ? 0 : order.size() - 1;
    if (it != order.end()) {
        const auto at = static_cast<std::size_t>(it - order.begin());
        next = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
    }
    return order[next];
}

}  // namespace plumvane::ui
