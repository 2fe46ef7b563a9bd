// The disk for laser cutters, water jets and CNC routers: a DXF drawing at 1:1 in millimetres.
#pragma once

#include <string>

#include "export/disk_model.h"

// Formats the disk as DXF (AutoCAD 2000), origin at the disk centre, Y up: the outline as
// true ARC and LINE entities on layer "OUTLINE" (cog arcs on the outer circle, gap arcs on the
// inner, radial lines between them, run 0 starting straight up and the runs going clockwise),
// the centre and mount holes as CIRCLEs on layer "HOLES". Numbers carry a decimal point in
// every locale. Writes nothing to `out` and returns the reason when the disk cannot be made
// (check_solid_disk). Throws std::bad_alloc on exhaustion.
disk_status format_dxf(const int* runs, const float* dims, std::string& out);

// Formats and writes the drawing to `path`; the file is replaced only by a complete drawing.
disk_result export_dxf(const int* runs, const float* dims, const char* path);
