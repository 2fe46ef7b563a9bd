#include "export/table_commands.h"

#include "tui/ui.h"

void sub_ASM() { bodymsg("Assembler code: not available yet.\n"); }
void sub_CPP() { bodymsg("C++ code: not available yet.\n"); }
void sub_TXT() { bodymsg("Text file: not available yet.\n"); }
