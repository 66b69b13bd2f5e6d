#pragma once
// A loopback port for servers that cannot be asked to choose one themselves (nginx, ffmpeg).

#include <cstdint>

// A port on 127.0.0.1 that was free a moment ago; 0 when none could be had. Another program may
// take it before the server binds it: callers try again on another port.
uint16_t FreeLoopbackPort();
