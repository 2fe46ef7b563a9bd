#include "export/disk_gerber.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "export/disk_text.h"

bool centre_hole_in_gerber(int placement) { return placement == 0 || placement == 1; }
bool mount_holes_in_gerber(int placement) { return placement == 0 || placement == 2; }

int digit_count(float outer_diameter) {
    int digits = 1;
    float value = outer_diameter;
    // The cap only stops an infinite value; any finite float is done within 39 steps.
    while (static_cast<double>(value) > 9.9 && digits < 64) {
        value = value / 10.0f;
        ++digits;
    }
    return digits;
}

namespace {

constexpr float gerber_units = 10000.0f; // per millimetre

// Points at angle a and radius r lie at (r sin a, r cos a), in single precision.
int gerber_x(float angle, float radius) { return disk::round(sinf(angle) * radius); }
int gerber_y(float angle, float radius) { return disk::round(cosf(angle) * radius); }

void write_outline(std::string& out, const int* runs, const float* dims) {
    const float gap_radius = 0.5f * dims[1] * gerber_units;
    const float cog_radius = 0.5f * dims[0] * gerber_units;
    out += "G01*\n";
    append_c(out, "X0Y%iD02*\n", disk::round(0.5f * dims[0] * gerber_units));
    for (const disk_arc& arc : disk_arcs(runs)) {
        const float radius = arc.cog ? cog_radius : gap_radius;
        const int x1 = gerber_x(arc.start_angle, radius);
        const int y1 = gerber_y(arc.start_angle, radius);
        const int x2 = gerber_x(arc.end_angle, radius);
        const int y2 = gerber_y(arc.end_angle, radius);
        out += "G01*\n";
        append_c(out, "X%iY%iD01*\n", x1, y1);
        out += "G02*\n";
        append_c(out, "X%iY%iI%iJ%iD01*\n", x2, y2, -x1, -y1);
    }
}

// A hole is drawn, not flashed: a full circle in two clockwise halves from its top.
void write_centre_hole(std::string& out, const float* dims) {
    const int c = disk::round(0.5f * dims[2] * gerber_units);
    out += "G01*\n";
    append_c(out, "X0Y%iD02*\n", c);
    out += "G02*\n";
    append_c(out, "X0Y%iI0J%iD01*\n", -c, -c);
    append_c(out, "X0Y%iI0J%iD01*\n", c, c);
}

void write_mount_holes(std::string& out, const float* dims) {
    const int h = disk::round(0.5f * dims[4] * gerber_units);
    for (const hole_step& step : mount_steps) {
        const int cx = disk::round(static_cast<float>(step.dx) * dims[3] * 0.5f * gerber_units);
        const int cy = disk::round(static_cast<float>(step.dy) * dims[3] * 0.5f * gerber_units);
        out += "G01*\n";
        append_c(out, "X%iY%iD02*\n", cx, cy + h);
        out += "G02*\n";
        append_c(out, "X%iY%iI0J%iD01*\n", cx, cy - h, -h);
        append_c(out, "X%iY%iI0J%iD01*\n", cx, cy + h, h);
    }
}

} // namespace

disk_status format_gerber(const int* runs, const float* dims, int placement, std::string& out) {
    disk_status fault = check_disk(runs, dims);
    if (fault != disk_status::ok) return fault;
    if (placement < 0 || placement >= placement_count) return disk_status::bad_placement;
    // Bounding every dimension keeps each coordinate, and a hole centre plus its radius,
    // inside int.
    for (int i = 0; i < 5; ++i)
        if (std::fabs(dims[i]) > gerber_dimension_limit) return disk_status::gerber_range;

    std::string text;
    const int digits = digit_count(dims[0]);
    text += "G04 STGC v.1.0. output*\n"
            "G04 Scale: 100 percent, Rotated: No, Reflected: No*\n";
    append_c(text, "%%FSLAX%i4Y%i4*%%\n", digits, digits);
    text += "%MOMM*%\n"
            "%LN board outline*%\n"
            "%LPD*%\n"
            "%ADD10C,0.005000*%\n"
            "D10*\n"
            "G75*\n";
    write_outline(text, runs, dims);
    if (centre_hole_in_gerber(placement)) write_centre_hole(text, dims);
    if (mount_holes_in_gerber(placement)) write_mount_holes(text, dims);
    text += "M02*\n";
    out.swap(text);
    return disk_status::ok;
}

disk_result export_gerber(const int* runs, const float* dims, const char* gerber_path,
                          const char* drill_path, int placement) {
    disk_result result;
    std::string gerber;
    std::string drill;
    const bool wants_drill = placement != 0;
    try {
        result.status = format_gerber(runs, dims, placement, gerber);
        if (result.status == disk_status::ok && wants_drill) {
            if (!drill_path || !gerber_path) result.status = disk_status::bad_placement;
            else if (same_file(gerber_path, drill_path)) result.status = disk_status::same_file;
            else result.status = format_drill(dims, placement, drill);
        }
    } catch (const std::bad_alloc&) {
        result.status = disk_status::no_memory;
    } catch (const std::length_error&) {
        result.status = disk_status::no_memory;
    }
    if (result.status != disk_status::ok) return result;

    result.file = write_output_file(gerber_path, gerber);
    if (!result.file.ok) {
        result.status = disk_status::write_failed;
        return result;
    }
    if (!wants_drill) return result;
    result.file = write_output_file(drill_path, drill);
    if (!result.file.ok) {
        result.status = disk_status::write_failed;
        result.first_written = true;
    }
    return result;
}

int convert_to_gerber(const int* runs, const float* dims, const char* gerber_path,
                      const char* drill_path, int placement) {
    disk_result result = export_gerber(runs, dims, gerber_path, drill_path, placement);
    if (result.status == disk_status::drill_too_large) {
        puts("Error: can't show more then 9 meters");
        fflush(stdout);
    }
    return result.status == disk_status::ok ? 0 : -1;
}
