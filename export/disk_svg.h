// The technical drawing of the disk on an A4 sheet, as SVG.
#pragma once

#include <cstdint>
#include <string>

#include "code/progress.h"

#include "export/disk_model.h"

// Formats the drawing of `runs` with dimensions `dims` (five floats laid out as geometry)
// into `out`. Numbers carry a decimal point in every locale. Writes nothing to `out` and
// returns the reason when the disk cannot be drawn. Throws std::bad_alloc on exhaustion;
// counts the runs done on `meter`, which may throw work_stopped.
disk_status format_svg(const int* runs, const float* dims, std::string& out,
                       progress* meter = nullptr);

// The outline is one path element. libxml2, which xmllint, librsvg and many other SVG readers
// parse with, refuses an attribute longer than this, so a longer outline is not written.
constexpr uint64_t svg_path_limit = 10000000;
// An upper bound of the outline's path data, in bytes, for a code of `runs` runs.
uint64_t svg_path_bound(int64_t runs);

// Checks, opens the file, formats (with progress, stoppable) and writes the drawing to `path`;
// the file is replaced only by a complete drawing.
disk_result export_svg(const int* runs, const float* dims, const char* path);

// The writer without the user interface: 0 when the drawing was written, -1 otherwise.
int convert_to_svg(const int* runs, const float* dims, const char* path);
