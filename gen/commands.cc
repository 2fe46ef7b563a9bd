#include "gen/commands.h"

#include "tui/ui.h"

void sub_GenQual() { bodymsg("Generate STGC by Quality: not available yet.\n"); }
void sub_GenCog() { bodymsg("Generate STGC by Cog Number: not available yet.\n"); }
