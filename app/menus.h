// The command tree: the menu bar, its pull-downs and their openers.
#pragma once

#include "tui/tui.h"

extern menu MainMenu[];
extern menu SubMenu_File[];
extern menu SubMenu_STGC[];
extern menu SubMenu_Export[];
extern menu SubSubMenu_GerberExcellon[];
extern menu SubMenu_Help[];

void sub_File();
void sub_STGC();
void sub_Export();
void sub_Help();
void sub_Gerber();
