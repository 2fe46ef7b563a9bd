// Decoder and text table commands of the menu tree.
#pragma once

// The names offered by the prompts: a default at start, the last confirmed name afterwards.
extern char asm_name[256];
extern char cpp_name[256];
extern char txt_name[256];

void sub_ASM();
void sub_CPP();
void sub_TXT();
