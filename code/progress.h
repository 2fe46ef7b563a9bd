// Long exports: how far they got, a way for the user to stop them, and the memory they may
// take. The formatters and writers stay plain functions: they count their work with a
// `progress` object, which now and then asks user_cancelled() (Esc on the screen) and shows the
// share done through progressmsg(); neither ever reads a key itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

// Thrown out of work that the user stopped. Whoever started the export reports it; the file it
// was writing is left as it was.
struct work_stopped : std::exception {
    const char* what() const noexcept override { return "stopped by the user"; }
};

class progress {
  public:
    // `what` names the work as the user sees it ("Formatting output.svg"); `total` counts it
    // in any unit (rows, runs, bytes).
    progress(std::string what, uint64_t total);
    // `done` units of the total are done. Cheap enough for every row: it reads the clock, and
    // only a few times a second polls for a stop and shows the share done. Throws
    // work_stopped when the user asked to stop.
    void at(uint64_t done);

  private:
    using clock = std::chrono::steady_clock;
    std::string what_;
    uint64_t total_;
    clock::time_point start_;
    clock::time_point next_poll_;
    int shown_ = -1; // the percentage on show, -1 before the first
};

// The most memory, in bytes, one export may take: the machine's physical memory, or the
// address-space limit of the process when that is lower.
uint64_t usable_memory();

// A size in bytes as people read it: "512 bytes", "3.4 MB", "5.2 GB" (powers of 1000).
std::string size_text(uint64_t bytes);
