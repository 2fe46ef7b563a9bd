#include "export/disk_model.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "code/progress.h"
#include "code/track.h"

int disk::round(double value) {
    if (value > 0) return static_cast<int>(value + 0.5);
    return -static_cast<int>(0.5 - value);
}

float boundary_angle(int64_t before, int64_t quality) {
    float turned = static_cast<float>(before) * full_turn;
    return turned / static_cast<float>(quality);
}

double run_width(int64_t positions, int64_t quality, double diameter) {
    if (quality <= 0) return 0;
    return M_PI * diameter * static_cast<double>(positions) / static_cast<double>(quality);
}

std::vector<disk_arc> disk_arcs(const int* runs) {
    std::vector<disk_arc> arcs;
    const run_shape shape = shape_of(runs);
    if (shape.runs <= 0) return arcs;
    arcs.reserve(static_cast<size_t>(shape.runs));
    int64_t before = 0;
    for (int64_t j = 0; j < shape.runs; ++j) {
        const int64_t length = runs[j];
        disk_arc arc;
        arc.start_angle = boundary_angle(before, shape.quality);
        arc.end_angle = boundary_angle(before + length, shape.quality);
        arc.cog = j % 2 == 1;
        arc.large_arc = 2 * length > shape.quality;
        arcs.push_back(arc);
        before += length;
    }
    return arcs;
}

const hole_step mount_steps[4] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};

disk_status check_disk(const int* runs, const float* dims) {
    if (!runs || !dims) return disk_status::no_code;
    for (const int* run = runs; *run != 0; ++run)
        if (*run < 0) return disk_status::bad_run;
    for (int i = 0; i < 5; ++i)
        if (!std::isfinite(dims[i])) return disk_status::not_finite;
    for (int i = 0; i < 5; ++i)
        if (dims[i] <= 0) return disk_status::not_positive;
    if (dims[1] >= dims[0]) return disk_status::gap_not_inside;
    if (dims[2] >= dims[1]) return disk_status::hole_not_inside;
    // The far edges of two opposite mount holes lie distance + diameter apart.
    if (static_cast<double>(dims[3]) + dims[4] >= dims[1]) return disk_status::mounts_not_inside;
    return disk_status::ok;
}

disk_status guarded_format(const std::function<disk_status()>& format) {
    try {
        return format();
    } catch (const std::bad_alloc&) {
        return disk_status::no_memory;
    } catch (const std::length_error&) {
        return disk_status::no_memory;
    } catch (const work_stopped&) {
        return disk_status::stopped;
    }
}

disk_result write_disk_file(const char* path, uint64_t work,
                            const std::function<disk_status(std::string&, progress&)>& format) {
    disk_result result;
    output_file file(path);
    result.file = file.opened();
    if (!result.file.ok) {
        result.status = disk_status::write_failed;
        return result;
    }
    std::string text;
    result.status = guarded_format([&] {
        progress meter(std::string("Formatting ") + path, work);
        return format(text, meter);
    });
    if (result.status != disk_status::ok) return result;
    result.file = file.commit(text);
    if (!result.file.ok) result.status = disk_status::write_failed;
    return result;
}

std::string disk_result_message(const disk_result& result) {
    const std::string nothing = "; nothing written\n";
    switch (result.status) {
    case disk_status::ok:
        return "";
    case disk_status::no_code:
        return "STGC is not generated!\n";
    case disk_status::bad_run:
        return "Error: the code has a run that is not positive" + nothing;
    case disk_status::not_finite:
        return "Error: a disk dimension is not a finite number" + nothing;
    case disk_status::not_positive:
        return "Error: every disk dimension must be above zero" + nothing;
    case disk_status::gap_not_inside:
        return "Error: Ext Diameter w/o Cog must be smaller than Ext Diameter with Cog" + nothing;
    case disk_status::hole_not_inside:
        return "Error: Diameter of center hole must be smaller than Ext Diameter w/o Cog" + nothing;
    case disk_status::mounts_not_inside:
        return "Error: the mount holes must lie inside Ext Diameter w/o Cog (Distance between "
               "holes plus Mount Hole Diameter below it)" +
               nothing;
    case disk_status::no_scale:
        return "Error: no drawing scale fits an outer diameter of 150 m or more" + nothing;
    case disk_status::svg_too_large:
        return "Error: the outline would take about " + size_text(result.estimate) +
               " of path data, more than the 10 MB that SVG readers built on libxml2 (xmllint, "
               "librsvg) accept" +
               nothing;
    case disk_status::gerber_range:
        return "Error: Gerber coordinates hold dimensions up to 200000 mm" + nothing;
    case disk_status::gerber_resolution:
        return "Error: a run is too short for Gerber coordinates (0.0001 mm): its arc would be "
               "read as a full circle" +
               nothing;
    case disk_status::drill_too_large:
        return "Error: can't show more then 9 meters\n"
               "Nothing written: the Excellon file holds outer diameters up to 9900 mm; "
               "\"Gerber only\" writes larger disks\n";
    case disk_status::bad_placement:
        return "Error: unknown hole placement" + nothing;
    case disk_status::same_file:
        return "Error: the Gerber and Excellon names lead to one file" + nothing;
    case disk_status::no_memory:
        if (result.estimate == 0) return "Error: not enough memory for this file" + nothing;
        return "Error: not enough memory for this file of about " + size_text(result.estimate) +
               nothing;
    case disk_status::stopped:
        return stopped_message;
    case disk_status::no_runs:
        return "Error: the code has no runs, so the disk has no outline" + nothing;
    case disk_status::odd_runs:
        return "Error: the code has an odd number of runs (its first and last runs are both "
               "gaps)" +
               nothing;
    case disk_status::holes_overlap:
        return "Error: the mount holes cut into the centre hole or into each other" + nothing;
    case disk_status::too_large:
        return "Error: disk dimensions above 200000 mm are not taken" + nothing;
    case disk_status::bad_thickness:
        return "Error: the thickness must be above 0 mm" + nothing;
    case disk_status::write_failed:
        return output_failure_message(result.file) +
               (result.first_written ? "The Gerber file was written, the Excellon file was not.\n"
                                     : "");
    }
    return "";
}
