#include "gen/commands.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "code/decoder.h"
#include "code/runlist.h"
#include "gen/necklace.h"
#include "tui/ui.h"

bool read_number(const char* text, int* value) {
    if (!text) return false;
    char* end = nullptr;
    errno = 0;
    long long v = strtoll(text, &end, 0);
    if (end == text || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    *value = static_cast<int>(v);
    return true;
}

quality_check check_quality(int n, long long Q, int max) {
    if (Q < 2 * n) return quality_check::too_low;
    if (Q > max) return quality_check::too_high;
    if (Q % (2 * n) != 0) return quality_check::not_multiple;
    return quality_check::ok;
}

int algorithm2(int n, int Q) {
    (void)n; // the search takes the number of heads from the tables
    if (!perebor.process(Q) || global_stgc == nullptr) return 0;
    bodymsg(("GENERATED GRAY CODE:\n<" + format_runlist(global_stgc) + ">\n").c_str());
    return 0;
}

namespace {

// Asks for the second number once the tables exist; false (tables still held) when the user
// left or the answer is refused, with the reason written.
bool ask_quality(int mode, int n, int max, char* edit, std::size_t edit_size, long long* Q) {
    char prompt[80];
    const int largest_cogs = max / (2 * n);
    if (mode == 0) {
        snprintf(prompt, sizeof prompt, "Quality (%i,%i,...,%i):", 2 * n, 4 * n, max);
        snprintf(edit, edit_size, "%i", max);
    } else {
        snprintf(prompt, sizeof prompt, "Cog number (1,2,...,%i):", largest_cogs);
        snprintf(edit, edit_size, "%i", largest_cogs);
    }
    if (!getfname(prompt, edit, 20)) return false;
    int answer = 0;
    if (!read_number(edit, &answer)) {
        bodymsg("Error: The answer is not a number\n");
        return false;
    }
    // In 64 bits a large cog number stays a large quality instead of wrapping round.
    *Q = mode == 1 ? 2LL * n * answer : answer;
    bodymsgf("Heads = %i, Quality = %lld \n", n, *Q);
    switch (check_quality(n, *Q, max)) {
    case quality_check::ok:
        return true;
    case quality_check::too_low:
        bodymsg("Error: Too low quality\n");
        break;
    case quality_check::too_high:
        bodymsg("Error: Too high quality\n");
        break;
    case quality_check::not_multiple:
        bodymsg("Error: (2*Heads) must be divisor of Quality\n");
        break;
    }
    return false;
}

} // namespace

void sub_GenQualCog(int mode) {
    char edit[256] = "8";
    if (!getfname("Number of Heads (3..20):", edit, 20)) return;
    int n = 0;
    if (!read_number(edit, &n)) {
        bodymsg("Error: The number of heads is not a number\n");
        return;
    }
    if (n < kMinHeads || n > kMaxHeads) {
        bodymsg("Error: Number of heads must be from 3 to 20\n");
        return;
    }
    try {
        int max = 0;
        algorithm1(n, &max);
        long long Q = 0;
        if (!ask_quality(mode, n, max, edit, sizeof edit, &Q)) {
            undo_alg1();
            return;
        }
        algorithm2(n, static_cast<int>(Q));
    } catch (const std::bad_alloc&) {
        undo_alg1();
        bodymsg("Error: Not enough memory for the tables; the current code is unchanged.\n");
    }
}

void sub_GenQual() {
    sub_GenQualCog(0);
}
void sub_GenCog() {
    sub_GenQualCog(1);
}
