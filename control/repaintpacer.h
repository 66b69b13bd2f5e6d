#pragma once
// When a new picture may be painted, given the repaint period that FPS sets. A picture is
// painted as soon as it arrives unless its turn has not come, and then when it comes.
//
// Turns are kept on a schedule, one period apart, rather than counted from the last paint:
// a camera sending at the rate FPS asks for sends each picture a little early or late at
// random, and a picture a little early would otherwise wait a whole period, every time, from
// then on. The schedule keeps a quarter of a period of slack behind the pictures: one painted
// late for its turn moves the next turn only as far as it lies more than the slack behind, so
// that a camera at the FPS rate is painted as its pictures arrive, its jitter taken by the
// slack, instead of each picture waiting for a turn fixed at the phase of the first. Paints
// never come faster than the period on average, and a pause earns no burst beyond the slack.
//
// Ticks are GetTickCount milliseconds, compared with wrap-around. UI thread only.

#include <cstdint>

class RepaintPacer {
  public:
    // 0 when a picture arriving at `now` may be painted at once; else how long it waits.
    uint32_t Wait(uint32_t now, uint32_t period) const;
    // A picture was painted at `now`.
    void Painted(uint32_t now, uint32_t period);

  private:
    bool started = false;
    uint32_t turn = 0; // the tick from which the next picture may be painted
};
