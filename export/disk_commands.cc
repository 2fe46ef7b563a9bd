#include "export/disk_commands.h"

#include "tui/ui.h"

void sub_ChangeGeometry() { bodymsg("Change Geometry: not available yet.\n"); }
void sub_SVG() { bodymsg("SVG plot: not available yet.\n"); }
void do_Gerb_0() { bodymsg("Gerber only: not available yet.\n"); }
void do_Gerb_1() { bodymsg("Gerber+Excellon for mount: not available yet.\n"); }
void do_Gerb_2() { bodymsg("Gerber+Excellon for central: not available yet.\n"); }
void do_Gerb_3() { bodymsg("Gerber+Excellon for holes: not available yet.\n"); }
