#include "control/repaintpacer.h"

namespace {

// Milliseconds from `from` to `to`, negative when `to` is earlier.
int64_t Between(uint32_t from, uint32_t to) {
    return static_cast<int32_t>(to - from);
}

} // namespace

uint32_t RepaintPacer::Wait(uint32_t now, uint32_t period) const {
    if (!started)
        return 0;
    const int64_t left = Between(now, turn);
    // A wait is never longer than a period (ticks that wrapped past the comparable range).
    return left <= 0 ? 0 : left > period ? period : static_cast<uint32_t>(left);
}

void RepaintPacer::Painted(uint32_t now, uint32_t period) {
    const uint32_t earliest = now - period / 4;
    if (!started || Between(turn, earliest) > 0)
        turn = earliest; // a turn missed by more than the slack is not made up for
    turn += period;
    started = true;
}
