#pragma once
// Waiting in tests that need the event loop of the test's (UI) thread to keep running: timers,
// posted messages and paints go on while the test waits.

#include <functional>

// Runs the thread's events until the condition holds (true) or timeoutMs have passed (false).
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// Runs the thread's events for a while.
void Pump(int milliseconds);
