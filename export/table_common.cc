#include "export/table_common.h"

#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <new>
#include <stdexcept>

#include "code/output_file.h"
#include "tui/ui.h"

const char* table_status_message(table_status status) {
    switch (status) {
    case table_status::ok:
        return "";
    case table_status::bad_runs:
        return "ERROR: Run lengths must be positive!\n";
    case table_status::no_heads:
        return "Can't calculate number of heads\n";
    case table_status::quality_too_big:
        return "ERROR: Quality too big - maximum 2147483647\n";
    case table_status::too_many_heads:
        return "ERROR: Too many heads for a table - maximum 30\n";
    case table_status::same_codes:
        return "ERROR: Same codes!!!\n";
    case table_status::no_memory:
        return "ERROR: Not enough memory for the table!\n";
    case table_status::write_failed:
        return "";
    }
    return "";
}

table_status announce_code(const int* runs, bool exact_heads, table_code& code) {
    code = table_code{};
    code.shape = shape_of(runs);
    const run_shape& s = code.shape;
    // 64-bit values print exactly as "%i" would wherever they fit an int.
    bodymsgf("Quality = %lld, Number of cogs = %lld\n", static_cast<long long>(s.quality),
             static_cast<long long>(s.runs));

    // A run list parsed from text may hold a negative length; the track would then be shorter
    // than Q and every position taken mod Q would be wrong.
    for (int64_t i = 0; i < s.runs; ++i)
        if (runs[i] < 1) return table_status::bad_runs;
    if (s.runs == 0) return table_status::no_heads;
    if (exact_heads && !s.heads_divide()) return table_status::no_heads;

    code.heads = s.quality / s.runs;
    bodymsgf("Number of heads = %lld\n", static_cast<long long>(code.heads));
    if (code.heads > 20) bodymsg("Too many heads - maximum 2M\n");
    if (s.quality > INT_MAX) return table_status::quality_too_big;
    return table_status::ok;
}

uint64_t table_memory_limit() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long page_size = sysconf(_SC_PAGE_SIZE);
    uint64_t limit = UINT64_MAX;
    if (pages > 0 && page_size > 0)
        limit = static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
    struct rlimit address_space;
    if (getrlimit(RLIMIT_AS, &address_space) == 0 && address_space.rlim_cur != RLIM_INFINITY &&
        address_space.rlim_cur < limit)
        limit = address_space.rlim_cur;
    return limit;
}

void append_right_aligned(std::string& out, uint64_t value, int width) {
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (width > count) out.append(static_cast<size_t>(width - count), ' ');
    while (count > 0)
        out.push_back(digits[--count]);
}

table_result write_table_file(const char* path,
                              const std::function<table_status(std::string&)>& make) {
    table_result result;
    try {
        std::string contents;
        result.status = make(contents);
        if (result.status == table_status::ok) {
            result.file = write_output_file(path, contents);
            if (!result.file.ok) {
                result.status = table_status::write_failed;
                bodymsg(output_failure_message(result.file).c_str());
            }
            return result;
        }
    } catch (const std::bad_alloc&) {
        result.status = table_status::no_memory;
    } catch (const std::length_error&) {
        result.status = table_status::no_memory;
    }
    bodymsg(table_status_message(result.status));
    return result;
}
