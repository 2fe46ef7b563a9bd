// The exported tables taken through the real tools: g++ compiles the C++ array into a
// program that decodes every rotation, avra assembles the data directives into the bytes of
// the table.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "export/table_decoder.h"
#include "tests/support/test_support.h"

using testing_support::MessageLog;
using testing_support::read_file;
using testing_support::run_command;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::vector<int> known_good = {10, 3, 5, 18, 14, 3,  4, 8, 6,  6, 5,  6, 10, 3,
                                     13, 4, 5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9,  23};
// Q = 270, 9 heads: a code with two-byte entries and a table small enough for any AVR.
const std::vector<int> nine_heads = {6, 20, 13, 3, 10, 3, 2,  11, 24, 8, 8,  3, 3, 5,  6,
                                     9, 17, 12, 6, 26, 5, 13, 4,  10, 6, 11, 7, 5, 12, 2};

std::string joined(const std::vector<int>& runs) {
    std::string out;
    for (int v : runs)
        out += (out.empty() ? "" : ", ") + std::to_string(v);
    return out;
}

// The table expected for `runs`, from the readings built straight from their definition.
std::vector<uint64_t> expected_table(const std::vector<int>& runs, uint64_t empty) {
    std::vector<int> track;
    for (size_t i = 0; i < runs.size(); ++i)
        track.insert(track.end(), runs[i], int(i % 2));
    const size_t q = track.size(), r = runs.size(), n = q / r;
    std::vector<uint64_t> table(size_t(1) << n, empty);
    for (size_t k = 0; k < q; ++k) {
        size_t v = 0;
        for (size_t h = 0; h < n; ++h)
            v = v * 2 + size_t(track[(k + h * r) % q]);
        table[v] = k;
    }
    return table;
}

void export_to(const std::vector<int>& runs, const std::string& path, bool cpp) {
    MessageLog log;
    int* list = make_runlist(runs);
    save_assembler(list, path.c_str(), cpp);
    delete[] list;
    ASSERT_EQ(log.body().find("ERROR"), std::string::npos) << log.body();
}

// Compiles `driver` (which includes table.cpp from `dir`) with warnings as errors, runs it and
// returns what it printed; fails the test when either step fails.
std::string compile_and_run(const TempDir& dir, const std::string& driver) {
    write_file(dir.file("driver.cc"), driver);
    std::string output;
    int status = run_command("g++ -std=c++17 -Wall -Wextra -Werror -o '" + dir.file("driver") +
                                 "' '" + dir.file("driver.cc") + "'",
                             &output);
    EXPECT_EQ(status, 0) << output;
    if (status != 0) return "";
    output.clear();
    status = run_command("'" + dir.file("driver") + "'", &output);
    EXPECT_EQ(status, 0) << output;
    return output;
}

// A program that rebuilds the readings of `runs` and looks each one up in stgc_decoder.
std::string decoding_driver(const std::vector<int>& runs, int width, uint64_t empty) {
    return "#include \"table.cpp\"\n"
           "#include <cstdio>\n"
           "#include <vector>\n"
           "static_assert(sizeof stgc_decoder[0] == " +
           std::to_string(width) +
           ", \"element width\");\n"
           "int main() {\n"
           "    const std::vector<int> runs = {" +
           joined(runs) +
           "};\n"
           "    std::vector<int> track;\n"
           "    for (size_t i = 0; i < runs.size(); ++i) track.insert(track.end(), runs[i], i % "
           "2);\n"
           "    const size_t q = track.size(), r = runs.size(), n = q / r;\n"
           "    const size_t size = sizeof stgc_decoder / sizeof stgc_decoder[0];\n"
           "    if (size != (size_t(1) << n)) { std::printf(\"size %zu\\n\", size); return 1; }\n"
           "    std::vector<bool> read(size);\n"
           "    for (size_t k = 0; k < q; ++k) {\n"
           "        size_t v = 0;\n"
           "        for (size_t h = 0; h < n; ++h) v = v * 2 + track[(k + h * r) % q];\n"
           "        if (stgc_decoder[v] != k) { std::printf(\"rotation %zu\\n\", k); return 1; }\n"
           "        read[v] = true;\n"
           "    }\n"
           "    size_t empty = 0;\n"
           "    for (size_t v = 0; v < size; ++v)\n"
           "        if (!read[v]) {\n"
           "            if (stgc_decoder[v] != " +
           std::to_string(empty) +
           "u) { std::printf(\"entry %zu\\n\", v); return 1; }\n"
           "            ++empty;\n"
           "        }\n"
           "    std::printf(\"%zu rotations, %zu empty\\n\", q, empty);\n"
           "}\n";
}

// The bytes of an Intel hex file by address.
std::map<uint32_t, uint8_t> parse_intel_hex(const std::string& text) {
    std::map<uint32_t, uint8_t> bytes;
    uint32_t base = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty()) continue;
        EXPECT_EQ(line[0], ':') << line;
        auto byte_at = [&](size_t i) {
            return uint8_t(std::stoul(line.substr(1 + 2 * i, 2), nullptr, 16));
        };
        const size_t count = byte_at(0);
        EXPECT_EQ(line.size(), 1 + 2 * (count + 5)) << line;
        uint8_t sum = 0;
        for (size_t i = 0; i < count + 5; ++i)
            sum = uint8_t(sum + byte_at(i));
        EXPECT_EQ(sum, 0) << "checksum of " << line;
        const uint32_t address = uint32_t(byte_at(1)) << 8 | byte_at(2);
        const uint8_t type = byte_at(3);
        if (type == 0) {
            for (size_t i = 0; i < count; ++i)
                bytes[base + address + uint32_t(i)] = byte_at(4 + i);
        } else if (type == 2) {
            base = (uint32_t(byte_at(4)) << 8 | byte_at(5)) << 4;
        } else if (type == 4) {
            base = (uint32_t(byte_at(4)) << 8 | byte_at(5)) << 16;
        } else if (type == 1) {
            break;
        }
    }
    return bytes;
}

// Assembles table.asm in `dir` for an ATmega128 and returns the code bytes.
std::map<uint32_t, uint8_t> assemble(const TempDir& dir) {
    write_file(dir.file("wrap.asm"), ".device ATmega128\n"
                                     ".cseg\n"
                                     ".org 0\n"
                                     ".include \"table.asm\"\n");
    std::string output;
    int status = run_command("cd '" + dir.path() + "' && avra wrap.asm", &output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Assembly complete with no errors."), std::string::npos) << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << output;
    return parse_intel_hex(read_file(dir.file("wrap.hex")));
}

void expect_assembled_table(const std::vector<int>& runs, int width, uint64_t empty) {
    TempDir dir;
    export_to(runs, dir.file("table.asm"), false);
    std::map<uint32_t, uint8_t> bytes = assemble(dir);
    std::vector<uint64_t> table = expected_table(runs, empty);
    ASSERT_EQ(bytes.size(), table.size() * size_t(width));
    for (size_t v = 0; v < table.size(); ++v) {
        uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = value << 8 | bytes[uint32_t(v * width + i)];
        ASSERT_EQ(value, table[v]) << "entry " << v;
    }
}

} // namespace

TEST(TableToolchain, CppArrayDecodesEveryRotation) {
    {
        TempDir dir;
        export_to(known_good, dir.file("table.cpp"), true);
        EXPECT_EQ(compile_and_run(dir, decoding_driver(known_good, 1, 255)),
                  "224 rotations, 32 empty\n");
    }
    {
        TempDir dir;
        export_to(nine_heads, dir.file("table.cpp"), true);
        EXPECT_EQ(compile_and_run(dir, decoding_driver(nine_heads, 2, 65535)),
                  "270 rotations, 242 empty\n");
    }
}

TEST(TableToolchain, FourByteArrayCompilesWithItsEmptyValues) {
    // No small code needs four bytes; a table of that quality shows the type and the values.
    const struct {
        int64_t quality;
        const char* empty;
    } cases[] = {{65536, "16777215u"}, {16777216, "4294967295u"}};
    for (const auto& c : cases) {
        TempDir dir;
        decoder_table table;
        table.quality = c.quality;
        table.entries = {-1, int32_t(c.quality - 1), 0, -1};
        write_file(dir.file("table.cpp"), format_decoder_table(table, true));
        std::string driver = "#include \"table.cpp\"\n"
                             "#include <cstdio>\n"
                             "static_assert(sizeof stgc_decoder == 16, \"four entries of four\");\n"
                             "int main() {\n"
                             "    bool ok = stgc_decoder[0] == " +
                             std::string(c.empty) + " && stgc_decoder[3] == " + c.empty +
                             " && stgc_decoder[1] == " + std::to_string(c.quality - 1) +
                             "u && stgc_decoder[2] == 0;\n"
                             "    std::puts(ok ? \"ok\" : \"wrong\");\n"
                             "}\n";
        EXPECT_EQ(compile_and_run(dir, driver), "ok\n") << c.quality;
    }
}

TEST(TableToolchain, AvraAssemblesTheTableBytes) {
    expect_assembled_table(known_good, 1, 255);
    expect_assembled_table({3, 3}, 1, 255);
    expect_assembled_table(nine_heads, 2, 65535);
}
