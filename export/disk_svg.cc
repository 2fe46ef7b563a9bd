#include "export/disk_svg.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "code/track.h"
#include "export/disk_geometry.h"
#include "export/disk_text.h"

namespace {

// Page in millimetres, y downwards. The frame leaves a 20 mm binding margin on the left.
constexpr int frame_left = 20;
constexpr int frame_right = 205;
constexpr int frame_top = 5;
constexpr int frame_bottom = 292;
constexpr int title_top = 237;
constexpr int centre_x = (frame_left + frame_right) / 2;
constexpr int centre_y = (frame_top + title_top) / 2;

struct segment {
    int x1, y1, x2, y2;
};

const segment thick_lines[] = {
    {20, 237, 205, 237},  {20, 257, 85, 257},   {20, 262, 85, 262},   {85, 252, 205, 252},
    {85, 277, 205, 277},  {155, 257, 205, 257}, {155, 272, 205, 272}, {27, 237, 27, 262},
    {37, 237, 37, 292},   {60, 237, 60, 292},   {75, 237, 75, 292},   {85, 237, 85, 292},
    {155, 252, 155, 292}, {170, 252, 170, 272}, {187, 252, 187, 272}, {175, 272, 175, 277},
};

const segment thin_lines[] = {
    {20, 242, 85, 242},   {20, 247, 85, 247},   {20, 252, 85, 252}, {20, 267, 85, 267},
    {20, 272, 85, 272},   {20, 277, 85, 277},   {20, 282, 85, 282}, {20, 287, 85, 287},
    {160, 257, 160, 272}, {165, 257, 165, 272},
};

const char* const big_text = "  <text x=\"%i\" y=\"%i\" font-size=\"10\" >\n";
const char* const name_text = "  <text x=\"%i\" y=\"%i\" font-size=\"5\" >\n";
const char* const caption_text = "  <text x=\"%i\" y=\"%i.5\" font-size=\"3\" >\n";
const char* const scale_text = "  <text x=\"%i\" y=\"%i.5\" font-size=\"5\" >\n";

struct caption {
    const char* opening;
    int x, y;
    const char* content; // null: the label of the drawing scale
};

const caption captions[] = {
    {big_text, 87, 268, "Encoder Disk"},  {name_text, 162, 286, "Ostrel Phys.Dep."},
    {caption_text, 179, 275, "Pages: 1"}, {caption_text, 157, 255, "Letter"},
    {caption_text, 172, 255, "Mass"},     {caption_text, 189, 255, "Scale"},
    {scale_text, 189, 266, nullptr},      {caption_text, 21, 260, "Ch."},
    {caption_text, 28, 260, "Page"},      {caption_text, 38, 260, "Document N"},
    {caption_text, 62, 260, "Signat."},   {caption_text, 76, 260, "Date"},
};

struct page_point {
    float x, y;
};

// Angles run clockwise from the top of the page; sine and cosine in double, stored as float.
page_point at(float angle, float radius) {
    page_point p;
    p.x = static_cast<float>(centre_x + radius * std::sin(static_cast<double>(angle)));
    p.y = static_cast<float>(centre_y - radius * std::cos(static_cast<double>(angle)));
    return p;
}

void write_header(std::string& out) {
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
           "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\"\n"
           "  \"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
           "<svg version=\"1.1\"\n"
           "    baseProfile=\"full\"\n"
           "    xmlns=\"http://www.w3.org/2000/svg\"\n"
           "    xmlns:xlink=\"http://www.w3.org/1999/xlink\"\n"
           "    xmlns:ev=\"http://www.w3.org/2001/xml-events\"\n"
           "    x=\"0\" y=\"0\" width=\"210mm\" height=\"297mm\" viewBox=\"0 0 210 297\">\n";
}

void write_line(std::string& out, const segment& s) {
    append_c(out, "  <line x1=\"%i\" y1=\"%i\" x2=\"%i\" y2=\"%i\"/>\n", s.x1, s.y1, s.x2, s.y2);
}

void write_title_block(std::string& out, int scale) {
    out += "<g stroke=\"black\" stroke-width=\"0.8\" fill=\"none\">\n";
    append_c(out, "  <rect x=\"%i\" y=\"%i\" width=\"%i\" height=\"%i\"\n", frame_left, frame_top,
             frame_right - frame_left, frame_bottom - frame_top);
    out += "      fill=\"white\"/>\n";
    for (const segment& s : thick_lines)
        write_line(out, s);
    append_c(out, "  <path d=\"M %i,%i L %i,%i L %i,%i\"/>\n", 191, 5, 191, 75, 205, 75);
    out += "</g>\n";

    out += "<g stroke=\"black\" stroke-width=\"0.4\">\n";
    for (const segment& s : thin_lines)
        write_line(out, s);
    out += "</g>\n";

    out += "<g font-family=\"Verdana\" fill=\"black\">\n";
    for (const caption& c : captions) {
        append_c(out, c.opening, c.x, c.y);
        append_c(out, "    %s\n", c.content ? c.content : scale_name[scale]);
        out += "  </text>\n";
    }
    out += "</g>\n";
}

// The outline as one path; an empty code has no outline, so no path element at all.
void write_outline(std::string& out, const std::vector<disk_arc>& arcs, float gap_radius,
                   float cog_radius, progress* meter) {
    out += "<g stroke=\"black\" fill=\"none\" stroke-width=\"0.8\">\n";
    for (size_t j = 0; j < arcs.size(); ++j) {
        if (meter && j % 256 == 0) meter->at(j);
        const disk_arc& arc = arcs[j];
        const float radius = arc.cog ? cog_radius : gap_radius;
        if (j == 0) {
            page_point start = at(arc.start_angle, radius);
            append_c(out, "  <path d=\"M %f,%f\n", start.x, start.y);
        }
        page_point end = at(arc.end_angle, radius);
        append_c(out, "    A %f,%f 0 %i,1, %f,%f\n", radius, radius, arc.large_arc ? 1 : 0, end.x,
                 end.y);
        append_c(out, "    L %f,%f\n", end.x, end.y);
        if (j + 1 < arcs.size()) {
            page_point step = at(arc.end_angle, arc.cog ? gap_radius : cog_radius);
            append_c(out, "    L %f,%f\n", step.x, step.y);
        }
    }
    if (!arcs.empty()) out += "  Z\"/>\n";
    out += "</g>\n";
}

} // namespace

disk_status format_svg(const int* runs, const float* dims, std::string& out, progress* meter) {
    disk_status fault = check_disk(runs, dims);
    if (fault != disk_status::ok) return fault;
    const int scale = choose_scale(dims[0]);
    if (scale < 0) return disk_status::no_scale;
    const float s = scale_float[scale];

    // The disk checks and the scale keep every drawn point and radius inside the page.
    const float gap_radius = static_cast<float>(0.5 * dims[1] * s);
    const float cog_radius = static_cast<float>(0.5 * dims[0] * s);
    const double centre_radius = 0.5 * dims[2] * s;
    const double mount_radius = 0.5 * dims[4] * s;
    const double mount_distance = 0.5 * dims[3] * s;

    const std::vector<disk_arc> arcs = disk_arcs(runs);
    std::string text;
    text.reserve(4096 + arcs.size() * 120);
    write_header(text);
    write_title_block(text, scale);
    write_outline(text, arcs, gap_radius, cog_radius, meter);

    text += "<g stroke=\"black\" fill=\"none\" stroke-width=\"0.8\">\n";
    const char* const circle = "  <circle cx=\"%f\" cy=\"%f\" r=\"%f\"/>\n";
    append_c(text, circle, static_cast<float>(centre_x), static_cast<float>(centre_y),
             centre_radius);
    for (const hole_step& step : mount_steps) {
        // The page's y grows downwards: "up" is a step to smaller y.
        const float x = static_cast<float>(centre_x + step.dx * mount_distance);
        const float y = static_cast<float>(centre_y - step.dy * mount_distance);
        append_c(text, circle, x, y, mount_radius);
    }
    text += "</g>\n";
    text += "</svg>\n";
    out.swap(text);
    return disk_status::ok;
}

uint64_t svg_path_bound(int64_t runs) {
    // Every page coordinate lies between 0 and 1000 ("%f": 10 characters at most), every
    // radius below 100 (9): an arc line of 55 bytes and two lines of 28 after it.
    return 32 + static_cast<uint64_t>(runs > 0 ? runs : 0) * 111;
}

disk_result export_svg(const int* runs, const float* dims, const char* path) {
    disk_result result;
    result.status = check_disk(runs, dims);
    if (result.status == disk_status::ok && choose_scale(dims[0]) < 0)
        result.status = disk_status::no_scale;
    if (result.status != disk_status::ok) return result;
    const int64_t count = shape_of(runs).runs;
    if (svg_path_bound(count) > svg_path_limit) {
        result.status = disk_status::svg_too_large;
        result.estimate = svg_path_bound(count);
        return result;
    }

    return write_disk_file(
        path, static_cast<uint64_t>(count),
        [&](std::string& text, progress& meter) { return format_svg(runs, dims, text, &meter); });
}

int convert_to_svg(const int* runs, const float* dims, const char* path) {
    return export_svg(runs, dims, path).status == disk_status::ok ? 0 : -1;
}
