#include "export/table_text.h"

#include <vector>

#include "code/track.h"
#include "tui/ui.h"

uint64_t text_table_size(const run_shape& shape) {
    if (shape.runs <= 0 || shape.quality <= 0) return 0;
    const uint64_t groups = static_cast<uint64_t>(shape.head_offsets());
    // A line: groups * groups digits, two spaces between groups, one line end.
    uint64_t digits, line, total;
    if (__builtin_mul_overflow(groups, groups, &digits)) return UINT64_MAX;
    if (__builtin_add_overflow(digits, 2 * groups - 1, &line)) return UINT64_MAX;
    if (__builtin_mul_overflow(line, static_cast<uint64_t>(shape.runs), &total)) return UINT64_MAX;
    return total;
}

std::string format_text_table(const int* runs, progress* meter) {
    const run_shape shape = shape_of(runs);
    for (int64_t i = 0; i < shape.runs; ++i)
        if (runs[i] < 1) return "";
    const uint64_t size = text_table_size(shape);
    if (size == 0 || size == UINT64_MAX) return "";

    const std::vector<unsigned char> track = expand_track(runs);
    const int64_t quality = shape.quality;
    const int64_t step = shape.runs;
    std::string out;
    out.reserve(static_cast<size_t>(size));
    size_t counted = 0;
    for (int64_t line = 0; line < step; ++line) {
        for (int64_t group = 0; group < quality; group += step) {
            if (meter && out.size() - counted >= 65536) meter->at(counted = out.size());
            if (group != 0) out += "  ";
            int64_t position = (group + line) % quality;
            for (int64_t head = 0; head < quality; head += step) {
                out += static_cast<char>('0' + track[static_cast<size_t>(position)]);
                position += step;
                if (position >= quality) position -= quality;
            }
        }
        out += '\n';
    }
    return out;
}

table_result export_text_table(const int* runs, const char* path, uint64_t memory_limit) {
    table_code code;
    table_status status = announce_code(runs, false, code);
    const uint64_t size = text_table_size(code.shape);
    const uint64_t quality = static_cast<uint64_t>(code.shape.quality);
    if (status == table_status::ok &&
        (size == UINT64_MAX || size > memory_limit || memory_limit - size < quality))
        status = table_status::no_memory;
    if (status != table_status::ok) {
        bodymsg(table_status_message(status));
        return {status, {}};
    }
    return write_table_file(path, size, [&](std::string& out, progress& meter) {
        out = format_text_table(runs, &meter);
    });
}

void save_text(int* runs, const char* path) {
    export_text_table(runs, path, usable_memory());
}
