#include "export/table_common.h"

#include <cerrno>
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
        return "ERROR: Table too large - more than 1073741824 entries; at most 8388608 bytes "
               "of data fit the program memory of any AVR\n";
    case table_status::same_codes:
        return "ERROR: Same codes!!!\n";
    case table_status::no_memory:
        return "ERROR: Not enough memory for the table!\n";
    case table_status::too_large:
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

table_result write_table_file(const char* path, uint64_t rows,
                              const std::function<void(std::string&, progress&)>& format) {
    table_result done;
    try {
        output_file file(path);
        done.file = file.opened();
        if (done.file.ok) {
            std::string contents;
            progress meter(std::string("Formatting ") + path, rows);
            format(contents, meter);
            done.file = file.commit(contents);
        }
        if (!done.file.ok) done.status = table_status::write_failed;
    } catch (const std::bad_alloc&) {
        done.status = table_status::no_memory;
    } catch (const std::length_error&) {
        done.status = table_status::no_memory;
    } catch (const work_stopped&) {
        done.status = table_status::write_failed;
        done.file.ok = false;
        done.file.error = ECANCELED;
    }
    const std::string failure = done.status == table_status::write_failed
                                    ? output_failure_message(done.file)
                                    : table_status_message(done.status);
    if (!failure.empty()) bodymsg(failure.c_str());
    return done;
}
