#include "tools/camsim/stopsignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace camsim {

StopSignal::StopSignal() : fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (fd >= 0)
        close(fd);
}

void StopSignal::Set() {
    if (set.exchange(true))
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

} // namespace camsim
