// File and test commands of the menu tree, and the code file names they offer.
#pragma once

// The names offered by Load and by Save: defaults at start, then the last name confirmed.
extern char in_txt_name[256];
extern char out_txt_name[256];

void sub_Load();
void sub_Save();
void sub_Manual();
void sub_Test();
