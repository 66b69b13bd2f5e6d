#pragma once
// When a new picture may be painted, given the repaint period that FPS sets. A picture is
// painted as soon as it arrives unless that would paint faster than the period allows, and then
// when its turn comes.
//
// Turns are kept on a schedule, one period apart, rather than counted from the last paint:
// a camera sending at the rate FPS asks for arrives a little early or late at random, and a
// picture a little early would otherwise wait a whole period, every time, from then on. A
// picture may be painted up to a quarter of a period before its turn; the next turn is then one
// period after that turn, so paints never come faster than the period on average. A paint long
// after its turn starts the schedule again from itself, so a pause earns no burst.
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
    uint32_t turn = 0; // the tick of the last paint's turn
};
