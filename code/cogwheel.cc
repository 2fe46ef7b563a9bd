#include "code/cogwheel.h"

#include <cinttypes>
#include <cstring>
#include <new>

#include "code/track.h"
#include "code/verify.h"
#include "tui/ui.h"

const char* const reason_empty = "Empty code: there are no runs";
const char* const reason_odd_runs = "Non-integer number of cogs";
const char* const reason_no_heads = "Can't calculate number of heads";
const char* const reason_not_gray = "Is not Gray Code: not only the one light change";
const char* const reason_not_distinct = "Is not code: equal values for different angles";
const char* const reason_no_memory = "Not enough memory to test the code";

void ans(const char* message, char*& result) {
    std::size_t length = std::strlen(message);
    result = new char[length + 1];
    std::memcpy(result, message, length + 1);
}

bool test_cogwheel(int* runs, char*& result) {
    result = nullptr;
    run_shape shape = shape_of(runs);
    // Sums in 64 bits: a quality above the largest int is printed as it is, not wrapped.
    bodymsgf("Quality = %" PRId64 ", Number of cogs = %" PRId64 "\n", shape.quality, shape.runs);
    try {
        if (shape.runs == 0) {
            ans(reason_empty, result);
            return true;
        }
        if (shape.runs % 2 != 0) {
            ans(reason_odd_runs, result);
            return true;
        }
        if (!shape.heads_divide()) {
            ans(reason_no_heads, result);
            return true;
        }
        bodymsgf("Number of heads = %" PRId64 "\n", shape.quality / shape.runs);
        if (!every_step_changes_one_head(runs, shape)) {
            ans(reason_not_gray, result);
            return true;
        }
        if (!readings_distinct(runs, shape)) {
            ans(reason_not_distinct, result);
            return true;
        }
        return true;
    } catch (const std::bad_alloc&) {
        try {
            ans(reason_no_memory, result);
        } catch (const std::bad_alloc&) {
            result = nullptr;
        }
        return false;
    }
}

test_report report_code_test(int* runs) {
    char* reason = nullptr;
    const bool tested = test_cogwheel(runs, reason);
    test_report verdict = test_report::good;
    if (!tested) {
        bodymsg("Can't test STGC: not enough memory!\n");
        verdict = test_report::no_memory;
    } else if (!reason) {
        bodymsg("STGC is good!\n");
    } else {
        bodymsg("Bad STGC !\n");
        bodymsg(reason);
        bodymsg("\n");
        verdict = test_report::bad;
    }
    delete[] reason;
    return verdict;
}
