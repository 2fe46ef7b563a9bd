// File and test commands of the menu tree.
#pragma once

void sub_Load();
void sub_Save();
void sub_Manual();
void sub_Test();
