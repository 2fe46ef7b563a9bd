#include "export/disk_scad.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>

#include "code/track.h"
#include "export/disk_solid.h"
#include "export/disk_text.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// The chords for `degrees` of an arc of `radius`: a chord over the angle t lies
// radius * (1 - cos(t / 2)) inside the arc at its middle. At least eight to the full turn.
int chords(double radius, double degrees) {
    double step = pi / 4;
    if (radius > scad_chord_tolerance)
        step = std::min(step, 2 * std::acos(1 - scad_chord_tolerance / radius));
    return std::max(1, static_cast<int>(std::ceil(degrees * pi / 180 / step)));
}

// A dimension as the user gave it: the shortest digits of the float, with a decimal point.
std::string number(float value) {
    char digits[64];
    const std::to_chars_result r =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    return std::string(digits, r.ptr);
}

void write_variables(std::string& out, const float* dims, float thickness) {
    const struct {
        const char* name;
        float value;
        const char* note;
    } variables[] = {
        {"thickness", thickness, ""},
        {"outer_diameter", dims[0], "through the cog tops"},
        {"inner_diameter", dims[1], "through the gap bottoms"},
        {"centre_hole", dims[2], "diameter"},
        {"mount_distance", dims[3], "between the centres of opposite mount holes"},
        {"mount_hole", dims[4], "diameter of each of the four mount holes"},
    };
    for (const auto& v : variables) {
        std::string line = std::string(v.name) + " = " + number(v.value) + ";";
        if (*v.note)
            line += std::string(line.size() < 28 ? 28 - line.size() : 1, ' ') + "// " + v.note;
        out += line + "\n";
    }
    out += "\n// Chords to the full turn that keep the holes within 0.01 mm of true circles.\n";
    append_c(out, "centre_hole_chords = %i;\n", chords(0.5 * dims[2], 360));
    append_c(out, "mount_hole_chords = %i;\n\n", chords(0.5 * dims[4], 360));
}

void write_runs(std::string& out, const int* runs, const float* dims) {
    out += "// The runs round the track, run 0 starting straight up, clockwise seen from above:\n"
           "// [cog (1) or gap (0), start and end angle in degrees clockwise from +Y, chords],\n"
           "// the chords keeping the outline within 0.01 mm of its true arcs.\n"
           "runs = [\n";
    const std::vector<disk_arc> arcs = disk_arcs(runs);
    for (size_t j = 0; j < arcs.size(); ++j) {
        const double radius = 0.5 * (arcs[j].cog ? dims[0] : dims[1]);
        const run_degrees d = degrees_of(arcs, j);
        append_c(out, "    [%i, %.7f, %.7f, %i]%s\n", arcs[j].cog ? 1 : 0, d.start, d.end,
                 chords(radius, d.end - d.start), j + 1 < arcs.size() ? "," : "");
    }
    out += "];\n\n";
}

const char* const model =
    "// Points of an arc of radius r, clockwise from angle a to angle b, in n chords.\n"
    "function arc(r, a, b, n) = [for (i = [0 : n]) let (t = a + (b - a) * i / n) "
    "r * [sin(t), cos(t)]];\n"
    "\n"
    "outline = [for (run = runs)\n"
    "    each arc((run[0] == 1 ? outer_diameter : inner_diameter) / 2, run[1], run[2], "
    "run[3])];\n"
    "\n"
    "linear_extrude(height = thickness)\n"
    "    difference() {\n"
    "        polygon(outline);\n"
    "        circle(d = centre_hole, $fn = centre_hole_chords);\n"
    "        for (step = [[0, 1], [1, 0], [0, -1], [-1, 0]])\n"
    "            translate(step * mount_distance / 2) circle(d = mount_hole, $fn = "
    "mount_hole_chords);\n"
    "    }\n";

} // namespace

disk_status format_scad(const int* runs, const float* dims, float thickness, std::string& out) {
    const disk_status fault = check_solid_disk(runs, dims);
    if (fault != disk_status::ok) return fault;
    if (!std::isfinite(thickness)) return disk_status::not_finite;
    if (thickness <= 0) return disk_status::bad_thickness;
    if (thickness > solid_dimension_limit) return disk_status::too_large;

    const run_shape shape = shape_of(runs);
    std::string text;
    append_c(text,
             "// Encoder disk: %lld positions in %lld runs. Millimetres; origin at the disk "
             "centre, Y up.\n// Render: openscad -o disk.stl disk.scad\n\n",
             static_cast<long long>(shape.quality), static_cast<long long>(shape.runs));
    write_variables(text, dims, thickness);
    write_runs(text, runs, dims);
    text += model;
    out.swap(text);
    return disk_status::ok;
}

disk_result export_scad(const int* runs, const float* dims, float thickness, const char* path) {
    return write_disk_file(path, 1, [&](std::string& text, progress&) {
        return format_scad(runs, dims, thickness, text);
    });
}
