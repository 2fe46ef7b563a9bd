#include "export/table_decoder.h"

#include <cstdio>
#include <new>

#include "code/track.h"
#include "tui/ui.h"

namespace {

// A reading is an index into the table, held in 31 bits.
const int64_t most_heads = 30;
const int entries_per_line = 16;
// The data of a table (entries times their width) that a decoder can hold: all the program
// memory an AVR can address (4 Mi words of its 22-bit program counter). No microcontroller a
// table like this is flashed into holds more; 20 heads take 4 MiB at most.
const uint64_t most_table_data = uint64_t{8} << 20;

struct element_layout {
    const char* directive;
    const char* cpp_header;
    int columns;
};

element_layout layout_of(int width) {
    switch (width) {
    case 1:
        return {".db ", "unsigned char stgc_decoder[%i]={\n", 3};
    case 2:
        return {".dw ", "unsigned short stgc_decoder[%i]={\n", 5};
    default:
        return {".dq ", "unsigned int stgc_decoder[%i]={\n", 8};
    }
}

int decimal_digits(uint64_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

// An upper bound of the file's length, so that the string is allocated once.
uint64_t file_size_bound(int64_t quality, uint64_t entries) {
    const int columns = layout_of(decoder_element_width(quality)).columns;
    uint64_t widest = decoder_empty_value(quality);
    if (quality > 0 && static_cast<uint64_t>(quality - 1) > widest)
        widest = static_cast<uint64_t>(quality - 1);
    const int digits = decimal_digits(widest);
    const uint64_t per_entry = static_cast<uint64_t>(digits > columns ? digits : columns) + 1;
    const uint64_t lines = (entries + entries_per_line - 1) / entries_per_line;
    // A line adds its lead (directive or tab) and its comment with up to ten digits.
    return entries * per_entry + lines * 20 + 64;
}

} // namespace

int decoder_element_width(int64_t quality) {
    if (quality <= 255) return 1;
    if (quality <= 65535) return 2;
    return 4;
}

uint64_t decoder_empty_value(int64_t quality) {
    switch (decoder_element_width(quality)) {
    case 1:
        return 255;
    case 2:
        return 65535;
    default:
        return quality > 16777215 ? 4294967295u : 16777215;
    }
}

table_status make_decoder_table(const int* runs, uint64_t memory_limit, decoder_table& table) {
    table = decoder_table{};
    table_code code;
    table_status status = announce_code(runs, true, code);
    if (status != table_status::ok) return status;
    if (code.heads > most_heads) return table_status::too_many_heads;

    const int heads = static_cast<int>(code.heads);
    const int64_t quality = code.shape.quality;
    const uint64_t size = uint64_t{1} << heads;
    // More rotations than readings: two of them must read alike.
    if (static_cast<uint64_t>(quality) > size) return table_status::same_codes;

    const uint64_t data = size * static_cast<uint64_t>(decoder_element_width(quality));
    const uint64_t file = file_size_bound(quality, size);
    if (data > most_table_data) {
        bodymsgf("ERROR: Table too large - %llu entries, %s of data in a file of about %s; "
                 "at most %llu bytes of data fit the program memory of any AVR\n",
                 static_cast<unsigned long long>(size), size_text(data).c_str(),
                 size_text(file).c_str(), static_cast<unsigned long long>(most_table_data));
        return table_status::too_large;
    }
    const uint64_t needed = static_cast<uint64_t>(quality) * 5 + size * sizeof(int32_t) + file;
    if (needed > memory_limit) return table_status::no_memory;

    std::vector<uint32_t> readings;
    {
        std::vector<unsigned char> track = expand_track(runs);
        readings = all_readings(track, code.shape.runs, heads);
    }
    table.quality = quality;
    table.entries.assign(static_cast<size_t>(size), -1);
    for (int64_t rotation = 0; rotation < quality; ++rotation) {
        int32_t& entry = table.entries[readings[static_cast<size_t>(rotation)]];
        if (entry >= 0) {
            table = decoder_table{};
            return table_status::same_codes;
        }
        entry = static_cast<int32_t>(rotation);
    }
    return table_status::ok;
}

std::string format_decoder_table(const decoder_table& table, bool cpp, progress* meter) {
    const element_layout layout = layout_of(decoder_element_width(table.quality));
    const uint64_t empty = decoder_empty_value(table.quality);
    const size_t count = table.entries.size();
    std::string out;
    out.reserve(static_cast<size_t>(file_size_bound(table.quality, count)));

    char line_end[64];
    if (cpp) {
        snprintf(line_end, sizeof line_end, layout.cpp_header, static_cast<int>(count));
        out += line_end;
    }
    int line = 0;
    for (size_t c = 0; c < count; ++c) {
        const bool last = c + 1 == count;
        const bool ends_line = c % entries_per_line == entries_per_line - 1 || last;
        if (c % entries_per_line == 0) {
            if (meter) meter->at(c);
            out += cpp ? "\t" : layout.directive;
        }
        const int32_t entry = table.entries[c];
        append_right_aligned(out, entry < 0 ? empty : static_cast<uint64_t>(entry), layout.columns);
        if (cpp) {
            out += last ? ' ' : ',';
            if (ends_line) {
                snprintf(line_end, sizeof line_end, " //%i\n", line++);
                out += line_end;
            }
        } else if (ends_line) {
            snprintf(line_end, sizeof line_end, " ;%i\n", line++);
            out += line_end;
        } else {
            out += ',';
        }
    }
    if (cpp) out += "};\n";
    return out;
}

table_result export_decoder_table(const int* runs, const char* path, bool cpp,
                                  uint64_t memory_limit) {
    decoder_table table;
    table_status status;
    try {
        status = make_decoder_table(runs, memory_limit, table);
    } catch (const std::bad_alloc&) {
        status = table_status::no_memory;
    }
    if (status != table_status::ok) {
        bodymsg(table_status_message(status));
        return {status, {}};
    }
    return write_table_file(path, table.entries.size(), [&](std::string& out, progress& meter) {
        out = format_decoder_table(table, cpp, &meter);
        // Only the text is held while it is written.
        decoder_table().entries.swap(table.entries);
    });
}

void save_assembler(int* runs, const char* path, bool cpp) {
    export_decoder_table(runs, path, cpp, usable_memory());
}
