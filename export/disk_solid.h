// What the files for cutting and printing the disk share: they describe a part that will be
// made, so they refuse a disk that cannot exist, and they close the outline exactly.
#pragma once

#include <cstddef>
#include <vector>

#include "export/disk_model.h"

// Largest dimension, in mm, these files take: the Gerber file's limit. It also bounds the
// number of chords of the OpenSCAD outline.
constexpr float solid_dimension_limit = 200000.0f;

// Checks that a run list and five dimensions describe a disk that can be made: an even,
// non-zero number of positive runs; every dimension above 0 and at most the limit; the gap
// circle inside the cog circle; the centre hole and the mount holes clear of the gap circle,
// the mount holes clear of the centre hole and of each other (touching counts as cutting).
disk_status check_solid_disk(const int* runs, const float* dims);

// Run j's boundary angles in degrees, clockwise from straight up. The last run ends at exactly
// 360, where the first begins, so the outline closes on itself.
struct run_degrees {
    double start;
    double end;
};
run_degrees degrees_of(const std::vector<disk_arc>& arcs, size_t j);
