// Disk geometry and drawing commands of the menu tree.
#pragma once

constexpr int disk_name_size = 256;
// File names offered by the prompts: the defaults at start, the last confirmed ones after.
extern char svg_name[disk_name_size];
extern char gerb_name[disk_name_size];
extern char drill_name[disk_name_size];

// Edits the five disk dimensions in a form and echoes them.
void sub_ChangeGeometry();
// Writes the drawing of the current code to a file the user names.
void sub_SVG();
// Write the Gerber file, and for 1 to 3 the Excellon file, with the holes placed as the
// Gerber/Excellon menu describes.
void do_Gerb_0();
void do_Gerb_1();
void do_Gerb_2();
void do_Gerb_3();
