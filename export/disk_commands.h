// Disk geometry and drawing commands of the menu tree.
#pragma once

void sub_ChangeGeometry();
void sub_SVG();
void do_Gerb_0();
void do_Gerb_1();
void do_Gerb_2();
void do_Gerb_3();
