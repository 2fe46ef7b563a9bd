#include "code/commands.h"

#include <cinttypes>
#include <cstring>

#include "code/code_file.h"
#include "code/cogwheel.h"
#include "code/decoder.h"
#include "code/runlist.h"
#include "tui/ui.h"

char in_txt_name[256] = "input.stgc";
char out_txt_name[256] = "output.stgc";

namespace {

const char* const code_file_prompt = "Ouput Text File (STGC):";
const int name_field = 50;

void report_read_failure(const code_file_text& file) {
    switch (file.status) {
    case read_status::ok:
        break;
    case read_status::cant_open:
        bodymsg("Can't open file!\n");
        break;
    case read_status::not_regular:
        bodymsg("Not a regular file!\n");
        break;
    case read_status::too_large:
        bodymsg("File too large!\n");
        break;
    case read_status::read_error:
        bodymsgf("Can't read file! (%s)\n", std::strerror(file.error));
        break;
    case read_status::no_memory:
        bodymsg("Not enough memory!\n");
        break;
    }
}

// Parses text into the current code, or says why the current code stays.
void install(const char* text) {
    decode_status status = decoder(text);
    if (status != decode_status::ok) bodymsg(decode_message(status));
}

} // namespace

void sub_Load() {
    if (!getfname(code_file_prompt, in_txt_name, name_field)) return;
    code_file_text file = read_code_file(in_txt_name);
    bodymsg(in_txt_name);
    bodymsg("...Opening...\n");
    if (file.size >= 0) bodymsgf("Size of file:%" PRId64 " bytes\n", file.size);
    if (file.status != read_status::ok) {
        report_read_failure(file);
        return;
    }
    // A NUL byte in the file ends the text there.
    install(file.text.c_str());
}

void sub_Save() {
    if (!global_stgc) {
        bodymsg("STGC is not generated!\n");
        return;
    }
    if (!getfname(code_file_prompt, out_txt_name, name_field)) return;
    output_result written = save_code_file(global_stgc, out_txt_name);
    bodymsg(out_txt_name);
    bodymsg("...Opening...\n");
    if (!written.ok) bodymsg(output_failure_message(written).c_str());
}

void sub_Manual() {
    // A whole code typed or pasted in one line: the field scrolls sideways over a text far
    // longer than it is wide.
    constexpr int manual_capacity = 65535;
    std::string text;
    if (!getlongtext("STGC (manually):", text, name_field, manual_capacity)) return;
    install(text.c_str());
}

void sub_Test() {
    if (!global_stgc) {
        bodymsg("STGC is not generated!\n");
        return;
    }
    report_code_test(global_stgc);
}
