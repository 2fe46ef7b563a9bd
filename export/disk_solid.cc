#include "export/disk_solid.h"

#include <cmath>

#include "code/track.h"

disk_status check_solid_disk(const int* runs, const float* dims) {
    const disk_status fault = check_disk(runs, dims);
    if (fault != disk_status::ok) return fault;
    const run_shape shape = shape_of(runs);
    if (shape.runs == 0) return disk_status::no_runs;
    if (shape.runs % 2 != 0) return disk_status::odd_runs;
    for (int i = 0; i < 5; ++i)
        if (dims[i] > solid_dimension_limit) return disk_status::too_large;
    // check_disk has put every hole inside the gap circle; a part also needs them apart.
    const double centre = 0.5 * dims[2];
    const double mount_distance = 0.5 * dims[3], mount = 0.5 * dims[4];
    // Neighbouring mount holes stand a quarter turn apart: sqrt(2) * distance between centres.
    if (mount_distance - mount <= centre || std::sqrt(2.0) * mount_distance <= 2 * mount)
        return disk_status::holes_overlap;
    return disk_status::ok;
}

run_degrees degrees_of(const std::vector<disk_arc>& arcs, size_t j) {
    const double per_radian = 180.0 / 3.14159265358979323846;
    run_degrees d;
    d.start = arcs[j].start_angle * per_radian;
    d.end = j + 1 == arcs.size() ? 360.0 : arcs[j].end_angle * per_radian;
    return d;
}
