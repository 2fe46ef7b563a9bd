// stgc-batch export: every export of the Export menu, through the same writers.
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>

#include "cli/batch.h"
#include "code/runlist.h"
#include "export/disk_dxf.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_scad.h"
#include "export/disk_svg.h"
#include "export/table_decoder.h"
#include "export/table_text.h"

// Named: the front end compiles as one unit, where anonymous namespaces would meet.
namespace export_job {

struct export_options {
    std::string input;
    std::string output = "-";
    float dims[geometry_count] = {};
    std::string drill;
    int placement = 0;
    float thickness = 2;
} opt;

// What a writer's refusal says, without the pane's "Error: " and line end.
std::string refusal_text(std::string message) {
    for (const char* prefix : {"Error: ", "ERROR: "})
        if (message.compare(0, strlen(prefix), prefix) == 0) message.erase(0, strlen(prefix));
    const size_t end = message.find('\n');
    return message.substr(0, end);
}

// A failed write, or one the user stopped (the caller then reports the interruption).
int write_failure(const std::string& path, const output_result& file) {
    if (file.error == ECANCELED) return exit_usage;
    return fail(exit_usage, stream_name(path), strerror(file.error));
}

int report_disk(const disk_result& result) {
    if (result.status == disk_status::ok) return exit_done;
    if (result.status == disk_status::stopped) return exit_usage;
    if (result.status == disk_status::write_failed)
        return write_failure(result.first_written ? opt.drill : opt.output, result.file);
    const int status = result.status == disk_status::bad_run ? exit_no : exit_usage;
    return fail(status, "export", refusal_text(disk_result_message(result)));
}

int report_table(const table_result& result) {
    switch (result.status) {
    case table_status::ok:
        return exit_done;
    case table_status::write_failed:
        return write_failure(opt.output, result.file);
    case table_status::no_memory:
    case table_status::too_large:
        return fail(exit_usage, "export", last_message());
    default:
        return fail(exit_no, opt.input, last_message());
    }
}

int write_svg(const int* runs) {
    return report_disk(export_svg(runs, opt.dims, opt.output.c_str()));
}

int write_dxf(const int* runs) {
    return report_disk(export_dxf(runs, opt.dims, opt.output.c_str()));
}

int write_scad(const int* runs) {
    return report_disk(export_scad(runs, opt.dims, opt.thickness, opt.output.c_str()));
}

int write_gerber(const int* runs) {
    if (opt.placement != 0 && opt.drill.empty())
        return fail(exit_usage, "--drill", "a drill file is needed unless --drill-holes none");
    if (opt.placement == 0 && !opt.drill.empty())
        return fail(exit_usage, "--drill", "no drill file is written with --drill-holes none");
    return report_disk(export_gerber(runs, opt.dims, opt.output.c_str(),
                                     opt.placement ? opt.drill.c_str() : nullptr, opt.placement));
}

int write_asm(const int* runs) {
    return report_table(export_decoder_table(runs, opt.output.c_str(), false, usable_memory()));
}
int write_cpp(const int* runs) {
    return report_table(export_decoder_table(runs, opt.output.c_str(), true, usable_memory()));
}
int write_txt(const int* runs) {
    return report_table(export_text_table(runs, opt.output.c_str(), usable_memory()));
}

// Options that only some formats take, so a stray one is refused instead of ignored.
enum option_use : unsigned { dimensions = 1, drilling = 2, solid = 4 };

struct export_format {
    const char* name;
    const char* help;
    unsigned uses;
    int (*write)(const int* runs);
};

const export_format formats[] = {
    {"svg", "technical drawing of the disk on an A4 sheet", dimensions, write_svg},
    {"gerber", "Gerber outline, with an Excellon drill file as --drill-holes says",
     dimensions | drilling, write_gerber},
    {"dxf", "the disk at 1:1 in mm for laser cutters and CNC routers (DXF)", dimensions, write_dxf},
    {"scad", "the disk as an OpenSCAD model for 3D printing", dimensions | solid, write_scad},
    {"asm", "decoder table as AVR assembler data", 0, write_asm},
    {"cpp", "decoder table as a C++ array", 0, write_cpp},
    {"txt", "text table of every reading, for testing a disk by hand", 0, write_txt},
};

std::string format_name;
std::vector<std::pair<CLI::Option*, unsigned>> restricted;

void setup(CLI::App& sub) {
    std::string list;
    std::vector<std::string> names;
    for (const export_format& format : formats) {
        names.push_back(format.name);
        list += std::string("\n  ") + format.name + ": " + format.help;
    }
    sub.add_option("format", format_name, "one of:" + list)
        ->required()
        ->check(CLI::IsMember(names));
    sub.add_option("code", opt.input, "code file ('-': standard input)")->required();
    sub.add_option("-o,--output", opt.output, "file to write ('-': standard output)");

    const char* const names_of[geometry_count] = {"--outer", "--inner", "--centre", "--mount",
                                                  "--hole"};
    const char* const help[geometry_count] = {
        "outer diameter in mm, over the cogs", "diameter in mm at the bottom of the gaps",
        "centre hole diameter in mm", "distance in mm between opposite mount hole centres",
        "mount hole diameter in mm"};
    for (int i = 0; i < geometry_count; ++i) {
        opt.dims[i] = geometry[i];
        restricted.push_back({sub.add_option(names_of[i], opt.dims[i], help[i])
                                  ->check(positive_size)
                                  ->capture_default_str(),
                              dimensions});
    }
    restricted.push_back(
        {sub.add_option("--thickness", opt.thickness, "disk thickness in mm (scad)")
             ->check(positive_size)
             ->capture_default_str(),
         solid});
    const std::map<std::string, int> placements = {
        {"none", 0}, {"mount", 1}, {"centre", 2}, {"all", 3}};
    restricted.push_back(
        {sub.add_option("--drill", opt.drill, "Excellon drill file (gerber)"), drilling});
    restricted.push_back(
        {sub.add_option("--drill-holes", opt.placement,
                        "holes in the drill file (gerber): none (all drawn in the Gerber file), "
                        "mount, centre or all")
             ->transform(CLI::CheckedTransformer(placements, CLI::ignore_case).description(""))
             ->default_str("none"),
         drilling});
}

int run() {
    const export_format* chosen = nullptr;
    for (const export_format& format : formats)
        if (format_name == format.name) chosen = &format;
    for (const auto& [option, use] : restricted)
        if (option->count() && !(chosen->uses & use))
            return fail(exit_usage, option->get_name(), "does not apply to " + format_name);
    if ((chosen->uses & dimensions) && !(opt.dims[1] < opt.dims[0]))
        return fail(exit_usage, "--inner", "must be less than --outer");
    std::vector<std::string> outputs = {opt.output};
    if (!opt.drill.empty()) outputs.push_back(opt.drill);
    if (int status = check_distinct({opt.input}, outputs)) return status;
    std::vector<int> runs;
    if (int status = load_code(opt.input, runs)) return status;
    int* list = make_runlist(runs);
    const int status = chosen->write(list);
    delete[] list;
    return status;
}

} // namespace export_job

const batch_command export_command = {
    "export", "Write a drawing, CNC files or a decoder table of a code file", export_job::setup,
    export_job::run};
