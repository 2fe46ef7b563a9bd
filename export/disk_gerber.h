// The disk for CNC production: a Gerber (RS-274X) outline file and an Excellon drill file.
#pragma once

#include <cstdint>
#include <string>

#include "code/progress.h"

#include "export/disk_model.h"

// Where the holes go: placement 0 puts both kinds in the Gerber file; 1 the mount holes in the
// drill file; 2 the centre hole in the drill file; 3 both in the drill file.
constexpr int placement_count = 4;
bool centre_hole_in_gerber(int placement);
bool mount_holes_in_gerber(int placement);

// Integer digits declared for coordinates, from the outer diameter: 1 up to 9.9 mm, 2 up to
// 99 mm, 3 up to 990 mm, 4 up to 9900 mm, 5 and more above (tested on the float value).
int digit_count(float outer_diameter);

// Largest dimension magnitude, in mm, whose Gerber coordinates (0.0001 mm) fit an int.
constexpr float gerber_dimension_limit = 200000.0f;

// Formats the Gerber file: header, outline, the holes of the placement, M02*. Writes nothing
// to `out` and returns the reason when it cannot, also when a run is too short for the
// coordinates (gerber_resolution). Throws std::bad_alloc on exhaustion; counts the runs done on
// `meter`, which may throw work_stopped.
disk_status format_gerber(const int* runs, const float* dims, int placement, std::string& out,
                          progress* meter = nullptr);

// An upper bound of the Gerber file's length, in bytes, for a code of `runs` runs.
uint64_t gerber_size_bound(int64_t runs);

// Formats the Excellon file of placement 1, 2 or 3. Refuses (drill_too_large) outer diameters
// above 9900 mm, for which the format declares no units. Numbers carry a decimal point in
// every locale.
disk_status format_drill(const float* dims, int placement, std::string& out);

// Checks everything that needs no formatting (the disk, the placement, the drill file's range,
// that the two paths lead to two files, the memory), opens both files, formats both (with
// progress, stoppable) and only then writes them: the Gerber file, and for placements 1 to 3
// the drill file. A refusal writes neither.
disk_result export_gerber(const int* runs, const float* dims, const char* gerber_path,
                          const char* drill_path, int placement);

// The writer without the user interface: 0 when every file was written, -1 otherwise. A disk
// too large for the drill file also prints "Error: can't show more then 9 meters" on
// standard output.
int convert_to_gerber(const int* runs, const float* dims, const char* gerber_path,
                      const char* drill_path, int placement);
