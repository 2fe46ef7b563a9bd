// The technical drawing of the disk on an A4 sheet, as SVG.
#pragma once

#include <string>

#include "export/disk_model.h"

// Formats the drawing of `runs` with dimensions `dims` (five floats laid out as geometry)
// into `out`. Numbers carry a decimal point in every locale. Writes nothing to `out` and
// returns the reason when the disk cannot be drawn. Throws std::bad_alloc on exhaustion.
disk_status format_svg(const int* runs, const float* dims, std::string& out);

// Formats and writes the drawing to `path`; the file is replaced only by a complete drawing.
disk_result export_svg(const int* runs, const float* dims, const char* path);

// The writer without the user interface: 0 when the drawing was written, -1 otherwise.
int convert_to_svg(const int* runs, const float* dims, const char* path);
