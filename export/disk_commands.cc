#include "export/disk_commands.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "code/runlist.h"
#include "code/track.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tui/ui.h"

char svg_name[disk_name_size] = "output.svg";
char gerb_name[disk_name_size] = "output.grb";
char drill_name[disk_name_size] = "output.drl";

namespace {

constexpr int name_field = 50;

void report(const disk_result& result) {
    std::string message = disk_result_message(result);
    if (result.status == disk_status::ok && shape_of(global_stgc).runs == 0)
        message = "The code has no runs: only the holes are drawn.\n";
    if (!message.empty()) bodymsg(message.c_str());
}

void gerber_command(int placement) {
    if (!global_stgc) {
        bodymsg("STGC is not generated!\n");
        return;
    }
    const char* prompt = placement == 0 ? "Ouput File (GRB):" : "Ouput Gerber File (GRB):";
    if (!getfname(prompt, gerb_name, name_field)) return;
    if (placement != 0 && !getfname("Ouput Excellon File (DRL):", drill_name, name_field)) return;
    try {
        report(export_gerber(global_stgc, geometry, gerb_name,
                             placement == 0 ? nullptr : drill_name, placement));
    } catch (const std::bad_alloc&) {
        bodymsg("Error: not enough memory for this file; nothing written\n");
    } catch (const std::exception& e) {
        bodymsgf("Error: %s\n", e.what());
    }
}

} // namespace

void sub_ChangeGeometry() {
    try {
        // One buffer per dimension, room for the field's width and the terminating zero.
        std::string texts[geometry_count];
        char buffers[geometry_count][geometry_field + 1];
        char* values[geometry_count];
        const char* labels[geometry_count + 1];
        for (int i = 0; i < geometry_count; ++i) {
            texts[i] = dimension_text(geometry[i]);
            snprintf(buffers[i], sizeof buffers[i], "%s", texts[i].c_str());
            values[i] = buffers[i];
            labels[i] = geometry_labels[i];
        }
        labels[geometry_count] = nullptr;
        if (getstrings(labels, values, geometry_field) == 27) return;
        std::string echo = apply_geometry_form(geometry, values);
        bodymsg(echo.c_str());
    } catch (const std::bad_alloc&) {
        bodymsg("Error: not enough memory; geometry unchanged\n");
    }
}

void sub_SVG() {
    if (!global_stgc) {
        bodymsg("STGC is not generated!\n");
        return;
    }
    if (!getfname("Ouput File (SVG):", svg_name, name_field)) return;
    try {
        report(export_svg(global_stgc, geometry, svg_name));
    } catch (const std::bad_alloc&) {
        bodymsg("Error: not enough memory for this file; nothing written\n");
    } catch (const std::exception& e) {
        bodymsgf("Error: %s\n", e.what());
    }
}

void do_Gerb_0() {
    gerber_command(0);
}
void do_Gerb_1() {
    gerber_command(1);
}
void do_Gerb_2() {
    gerber_command(2);
}
void do_Gerb_3() {
    gerber_command(3);
}
