#include "export/disk_gerber.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>

#include "code/progress.h"
#include "code/track.h"
#include "export/disk_text.h"

bool centre_hole_in_gerber(int placement) {
    return placement == 0 || placement == 1;
}
bool mount_holes_in_gerber(int placement) {
    return placement == 0 || placement == 2;
}

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
int gerber_x(float angle, float radius) {
    return disk::round(sinf(angle) * radius);
}
int gerber_y(float angle, float radius) {
    return disk::round(cosf(angle) * radius);
}

// False when a run's arc would begin and end at one point: in multi-quadrant mode (G75) a
// reader draws such an arc as a full circle. A single run is the full circle it should be.
bool write_outline(std::string& out, const int* runs, const float* dims, progress* meter) {
    const float gap_radius = 0.5f * dims[1] * gerber_units;
    const float cog_radius = 0.5f * dims[0] * gerber_units;
    out += "G01*\n";
    append_c(out, "X0Y%iD02*\n", disk::round(0.5f * dims[0] * gerber_units));
    const std::vector<disk_arc> arcs = disk_arcs(runs);
    for (size_t j = 0; j < arcs.size(); ++j) {
        if (meter && j % 256 == 0) meter->at(j);
        const disk_arc& arc = arcs[j];
        const float radius = arc.cog ? cog_radius : gap_radius;
        const int x1 = gerber_x(arc.start_angle, radius);
        const int y1 = gerber_y(arc.start_angle, radius);
        const int x2 = gerber_x(arc.end_angle, radius);
        const int y2 = gerber_y(arc.end_angle, radius);
        if (x1 == x2 && y1 == y2 && arcs.size() > 1) return false;
        out += "G01*\n";
        append_c(out, "X%iY%iD01*\n", x1, y1);
        out += "G02*\n";
        append_c(out, "X%iY%iI%iJ%iD01*\n", x2, y2, -x1, -y1);
    }
    return true;
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

namespace {

// The checks of the Gerber file that need no formatting.
disk_status gerber_fault(const int* runs, const float* dims, int placement) {
    disk_status fault = check_disk(runs, dims);
    if (fault != disk_status::ok) return fault;
    if (placement < 0 || placement >= placement_count) return disk_status::bad_placement;
    // Bounding every dimension keeps each coordinate, and a hole centre plus its radius,
    // inside int.
    for (int i = 0; i < 5; ++i)
        if (std::fabs(dims[i]) > gerber_dimension_limit) return disk_status::gerber_range;
    return disk_status::ok;
}

} // namespace

disk_status format_gerber(const int* runs, const float* dims, int placement, std::string& out,
                          progress* meter) {
    disk_status fault = gerber_fault(runs, dims, placement);
    if (fault != disk_status::ok) return fault;

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
    if (!write_outline(text, runs, dims, meter)) return disk_status::gerber_resolution;
    if (centre_hole_in_gerber(placement)) write_centre_hole(text, dims);
    if (mount_holes_in_gerber(placement)) write_mount_holes(text, dims);
    text += "M02*\n";
    out.swap(text);
    return disk_status::ok;
}

uint64_t gerber_size_bound(int64_t runs) {
    // Coordinates of at most 11 characters: a step line of 29 bytes and an arc line of 53,
    // with their two mode lines; the header and the holes take less than 1 kB.
    return 1024 + static_cast<uint64_t>(runs > 0 ? runs : 0) * 92;
}

disk_result export_gerber(const int* runs, const float* dims, const char* gerber_path,
                          const char* drill_path, int placement) {
    disk_result result;
    const bool wants_drill = placement != 0;
    result.status = gerber_fault(runs, dims, placement);
    if (result.status == disk_status::ok && wants_drill) {
        std::string unused;
        if (!drill_path || !gerber_path)
            result.status = disk_status::bad_placement;
        else if (same_file(gerber_path, drill_path))
            result.status = disk_status::same_file;
        else
            result.status = format_drill(dims, placement, unused);
    }
    if (result.status != disk_status::ok) return result;
    // The text and the arcs it is made from are held at once.
    const int64_t count = shape_of(runs).runs;
    const uint64_t needed =
        gerber_size_bound(count) + static_cast<uint64_t>(count) * sizeof(disk_arc);
    if (needed > usable_memory()) {
        result.status = disk_status::no_memory;
        result.estimate = gerber_size_bound(count);
        return result;
    }

    // Both files are opened before the work begins: if either cannot be written, neither is.
    output_file gerber_file(gerber_path);
    std::unique_ptr<output_file> drill_file;
    result.file = gerber_file.opened();
    if (result.file.ok && wants_drill) {
        drill_file.reset(new output_file(drill_path));
        result.file = drill_file->opened();
    }
    if (!result.file.ok) {
        result.status = disk_status::write_failed;
        return result;
    }
    std::string gerber;
    std::string drill;
    result.status = guarded_format([&] {
        progress meter(std::string("Formatting ") + gerber_path, static_cast<uint64_t>(count));
        const disk_status status = format_gerber(runs, dims, placement, gerber, &meter);
        return status == disk_status::ok && wants_drill ? format_drill(dims, placement, drill)
                                                        : status;
    });
    if (result.status != disk_status::ok) return result;

    result.file = gerber_file.commit(gerber);
    if (!result.file.ok) {
        result.status = disk_status::write_failed;
        return result;
    }
    if (!wants_drill) return result;
    result.file = drill_file->commit(drill);
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
