#include "code/commands.h"

#include "tui/ui.h"

void sub_Load() { bodymsg("Load: not available yet.\n"); }
void sub_Save() { bodymsg("Save: not available yet.\n"); }
void sub_Manual() { bodymsg("Manual input: not available yet.\n"); }
void sub_Test() { bodymsg("Test STGC: not available yet.\n"); }
