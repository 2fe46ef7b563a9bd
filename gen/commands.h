// Generation commands of the menu tree: ask for heads and quality (or cog number), build the
// necklace tables, search a code and install it as the current code.
#pragma once

void sub_GenQual();
void sub_GenCog();
// mode 0: the second prompt asks for the quality; mode 1: for the number of cogs.
void sub_GenQualCog(int mode);

// Runs the search for quality Q on the tables built for n heads and, when it produced a code,
// lists the new run list. Returns 0.
int algorithm2(int n, int Q);

// Where a quality stands among those the tables for n heads offer (2n, 4n, ... up to max).
enum class quality_check { ok, too_low, too_high, not_multiple };
quality_check check_quality(int n, long long Q, int max);

// Reads one signed integer as typed: leading blanks skipped, "0x"/"0X" hexadecimal, a leading
// "0" octal, else decimal; whatever follows is ignored. False when the text holds no number or
// the number does not fit an int.
bool read_number(const char* text, int* value);
