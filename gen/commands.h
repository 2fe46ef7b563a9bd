// Generation commands of the menu tree.
#pragma once

void sub_GenQual();
void sub_GenCog();
