// The disk for 3D printers: an OpenSCAD model that `openscad -o disk.stl disk.scad` renders.
#pragma once

#include <string>

#include "export/disk_model.h"

// Greatest distance, in mm, between a true arc of the disk and the chords that stand for it.
constexpr double scad_chord_tolerance = 0.01;

// Formats the disk as a readable OpenSCAD file in millimetres, origin at the disk centre, Y
// up: the dimensions and the thickness as named variables at the top, one row per run (cog or
// gap, start and end angle, chords), the outline as a polygon of chords within
// scad_chord_tolerance of the true arcs, the holes subtracted with as fine circles, extruded
// to `thickness`. Numbers carry a decimal point in every locale. Writes nothing to `out` and
// returns the reason when the disk cannot be made (check_solid_disk, and a thickness that is
// not a number above 0 or exceeds the dimension limit). Throws std::bad_alloc on exhaustion.
disk_status format_scad(const int* runs, const float* dims, float thickness, std::string& out);

// Formats and writes the model to `path`; the file is replaced only by a complete model.
disk_result export_scad(const int* runs, const float* dims, float thickness, const char* path);
