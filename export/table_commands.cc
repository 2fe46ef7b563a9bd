#include "export/table_commands.h"

#include "code/runlist.h"
#include "export/table_decoder.h"
#include "export/table_text.h"
#include "tui/ui.h"

char asm_name[256] = "output.asm";
char cpp_name[256] = "output.cpp";
char txt_name[256] = "output.txt";

namespace {

const int name_field = 50;

// The current code, or null after telling the user that there is none.
int* current_code() {
    if (!global_stgc) bodymsg("STGC is not generated!\n");
    return global_stgc;
}

void export_decoder(const char* prompt, char* name, bool cpp) {
    int* runs = current_code();
    if (!runs || !getfname(prompt, name, name_field)) return;
    save_assembler(runs, name, cpp);
}

} // namespace

void sub_ASM() {
    export_decoder("Ouput File (ASM):", asm_name, false);
}

void sub_CPP() {
    export_decoder("Ouput File (CPP):", cpp_name, true);
}

void sub_TXT() {
    int* runs = current_code();
    if (!runs || !getfname("Ouput File (TXT):", txt_name, name_field)) return;
    save_text(runs, txt_name);
}
