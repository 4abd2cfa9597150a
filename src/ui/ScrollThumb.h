#pragma once
// Where a scroll value sits on a real bar. Windows wants min <= max, so a bar
// runs from thumb position 0 to the span of the range, position 0 at the
// toolkit's minimum wherever that lies: a range running backwards is shown
// inverted. "Down the bar" is always towards the larger position.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "ui/Toolkit.h"

namespace plumvane::ui {

// Settings with this range, for mapping alone.
inline ScrollSettings ScrollRange(std::int16_t min, std::int16_t max) {
    ScrollSettings s;
    s.min = min;
    s.max = max;
    return s;
}

inline int ScrollSpan(const ScrollSettings& s) { return std::abs(s.max - s.min); }
inline int ScrollDirection(const ScrollSettings& s) { return s.max >= s.min ? 1 : -1; }

inline int ThumbPosition(const ScrollSettings& s, int value) {
    return (value - s.min) * ScrollDirection(s);
}

// The value at a thumb position; a position off the bar counts as its end.
inline std::int16_t ValueAtThumb(const ScrollSettings& s, int position) {
    return static_cast<std::int16_t>(s.min +
                                     ScrollDirection(s) * std::clamp(position, 0, ScrollSpan(s)));
}

}  // namespace plumvane::ui
