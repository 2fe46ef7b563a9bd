#include "code/progress.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "tui/ui.h"

namespace {

// Work that is done within a moment neither polls nor shows anything: an Esc typed ahead is
// then left for the menus, and the status line alone. Longer work notices a stop within a
// twentieth of a second.
constexpr auto poll_interval = std::chrono::milliseconds(50);
constexpr auto moment = std::chrono::milliseconds(250);

} // namespace

progress::progress(std::string what, uint64_t total)
    : what_(std::move(what)), total_(total > 0 ? total : 1), start_(clock::now()),
      next_poll_(start_ + moment) {}

void progress::at(uint64_t done) {
    const clock::time_point now = clock::now();
    if (now < next_poll_) return;
    next_poll_ = now + poll_interval;
    if (user_cancelled()) throw work_stopped{};
    const int percent = static_cast<int>((done < total_ ? done : total_) * 100 / total_);
    if (percent == shown_) return;
    shown_ = percent;
    progressmsg(what_.c_str(), percent);
}

uint64_t usable_memory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long page_size = sysconf(_SC_PAGE_SIZE);
    uint64_t limit = UINT64_MAX;
    if (pages > 0 && page_size > 0)
        limit = static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
    struct rlimit address_space;
    if (getrlimit(RLIMIT_AS, &address_space) == 0 && address_space.rlim_cur != RLIM_INFINITY &&
        address_space.rlim_cur < limit)
        limit = address_space.rlim_cur;
    return limit;
}

std::string size_text(uint64_t bytes) {
    char text[48];
    if (bytes < 1000) {
        snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
        return text;
    }
    const char* const units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1000;
    int unit = 0;
    while (value >= 999.95 && unit < 5) {
        value /= 1000;
        ++unit;
    }
    snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}
