#include <cmath>

#include "export/disk_gerber.h"
#include "export/disk_text.h"

namespace {

// Zero-filled to six characters; a negative value gets a seventh for its sign.
void write_position(std::string& out, int x, int y) {
    append_c(out, x < 0 ? "X%07i" : "X%06i", x);
    append_c(out, y < 0 ? "Y%07i\n" : "Y%06i\n", y);
}

} // namespace

disk_status format_drill(const float* dims, int placement, std::string& out) {
    if (placement < 1 || placement >= placement_count) return disk_status::bad_placement;
    for (int i = 0; i < 5; ++i) {
        if (!std::isfinite(dims[i])) return disk_status::not_finite;
        if (std::fabs(dims[i]) > gerber_dimension_limit) return disk_status::gerber_range;
    }
    int digits = digit_count(dims[0]);
    if (digits < 3) digits = 3;
    // The format has no units line for more than four integer digits: a file without one
    // would be read in some default unit and drill in the wrong places.
    if (digits > 4) return disk_status::drill_too_large;
    const float units = digits == 3 ? 1000.0f : 100.0f; // per millimetre

    const bool centre = !centre_hole_in_gerber(placement);
    const bool mounts = !mount_holes_in_gerber(placement);
    const int centre_tool = 1;
    const int mount_tool = centre ? 2 : 1;

    std::string text;
    text += ";Drill File\nM48\n";
    text += digits == 3 ? "METRIC,000.000\n" : "METRIC,0000.00\n";
    if (centre) append_c(text, "T0%iC%f\n", centre_tool, dims[2]);
    if (mounts) append_c(text, "T0%iC%f\n", mount_tool, dims[4]);
    text += "%\nG05\nG90\n";
    if (centre) {
        append_c(text, "T0%i\n", centre_tool);
        text += "X000000Y000000\n";
    }
    if (mounts) {
        append_c(text, "T0%i\n", mount_tool);
        for (const hole_step& step : mount_steps) {
            const int x = disk::round(static_cast<float>(step.dx) * dims[3] * 0.5f * units);
            const int y = disk::round(static_cast<float>(step.dy) * dims[3] * 0.5f * units);
            write_position(text, x, y);
        }
    }
    text += "M30\n";
    out.swap(text);
    return disk_status::ok;
}
