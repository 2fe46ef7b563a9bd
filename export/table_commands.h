// Decoder and text table commands of the menu tree.
#pragma once

void sub_ASM();
void sub_CPP();
void sub_TXT();
