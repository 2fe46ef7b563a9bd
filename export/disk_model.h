// The disk model both drawings share: runs become arcs between boundary angles, gaps on the
// gap circle and cogs on the cog circle, plus a centre hole and four mount holes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "code/output_file.h"
#include "code/progress.h"

namespace disk {

// Rounds halves away from zero (2.5 -> 3, -2.5 -> -3), the sums formed in double. The value
// must lie within the range of int; callers check their dimensions first.
int round(double value);

} // namespace disk

// 6.2831855, the float nearest to 2*pi: S positions before a boundary put it at
// S * full_turn / Q radians, clockwise from straight up.
constexpr float full_turn = 6.2831855f;

// The angle of the boundary with `before` positions before it on a track of `quality`
// positions, computed in single precision.
float boundary_angle(int64_t before, int64_t quality);

// The width in mm of a run of `positions` positions, measured along the circle of `diameter`
// mm on which it is drawn, on a disk of `quality` positions.
double run_width(int64_t positions, int64_t quality, double diameter);

// One run of the code on the disk.
struct disk_arc {
    float start_angle;
    float end_angle;
    bool cog;       // odd runs are cogs (outer circle), even runs gaps (inner circle)
    bool large_arc; // the run covers more than half the track
};

// The arcs of a run list, in order round the disk. Throws std::bad_alloc when it does not fit
// memory; the run list must have passed check_disk.
std::vector<disk_arc> disk_arcs(const int* runs);

// Unit steps from the disk centre to the four mount holes, Y pointing up: up, right, down,
// left, the order in which every drawing lists them.
struct hole_step {
    int dx;
    int dy;
};
extern const hole_step mount_steps[4];

// Why a disk export wrote nothing (or not everything).
enum class disk_status {
    ok,
    no_code,           // null run list
    bad_run,           // a run that is not positive
    not_finite,        // a dimension that is inf or nan
    not_positive,      // a dimension of zero or below
    gap_not_inside,    // the diameter at the gap bottoms is not below the outer diameter
    hole_not_inside,   // the centre hole does not lie inside the gap circle
    mounts_not_inside, // the mount holes do not lie inside the gap circle
    no_scale,          // no drawing scale brings the outer diameter below 150 mm
    svg_too_large,     // the outline's path data is more than SVG readers take; see `estimate`
    gerber_range,      // a Gerber coordinate (0.0001 mm) would not fit its integer
    gerber_resolution, // a run too short for Gerber coordinates: its arc would close on itself
    drill_too_large,   // outer diameter above 9900 mm: the Excellon format has no room
    bad_placement,     // placement outside 0..3, or no drill path where one is needed
    same_file,         // the Gerber and the drill path lead to one file
    no_runs,           // a cut or printed disk needs an outline: no runs
    odd_runs,          // an odd number of runs: the first and the last run would both be gaps
    holes_overlap,     // a mount hole reaches the centre hole or its neighbour
    too_large,         // a dimension above the largest a cut or printed disk takes
    bad_thickness,     // a printed disk's thickness is not above 0
    no_memory,         // the file text does not fit memory; `estimate` when known beforehand
    stopped,           // the user stopped the export
    write_failed,      // a file could not be written; see `file`
};

struct disk_result {
    disk_status status = disk_status::ok;
    output_result file;         // the failed write, for write_failed
    bool first_written = false; // the Gerber file was written before the drill file failed
    uint64_t estimate = 0;      // bytes, for svg_too_large and no_memory
};

// Checks that a run list and five dimensions describe a disk at all: positive runs, finite
// positive dimensions, the gap circle inside the cog circle, and the centre hole and the four
// mount holes inside the gap circle.
disk_status check_disk(const int* runs, const float* dims);

// The one way a disk file is written: opens `path` before the long work (a destination that
// cannot be written is reported at once), lets `format` fill the text while it counts `work`
// units on the meter, and puts the file in place. Out of memory and a stop by the user are
// results like any other; the file is then left as it was.
disk_result write_disk_file(const char* path, uint64_t work,
                            const std::function<disk_status(std::string&, progress&)>& format);

// Runs a formatter; exhausted memory and a stop by the user come back as statuses.
disk_status guarded_format(const std::function<disk_status()>& format);

// The message-pane text for a result (empty for ok).
std::string disk_result_message(const disk_result& result);
