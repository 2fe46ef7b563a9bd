// The exported tables through the real tools: g++ compiles the C++ array and avra assembles the
// data directives, and both must hold, entry by entry, the table the readings define.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/runlist.h"
#include "export/table_decoder.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::run_command;
using testing_support::TempDir;

namespace {

using runs = std::vector<int>;

// Rotation k's reading, head 0 first: the bits at (k + h*r) mod Q. Entries no rotation reads
// hold `empty`. One value a line, after the element width.
std::string expected_table(const runs& list, int width, uint64_t empty) {
    std::string track;
    for (size_t i = 0; i < list.size(); ++i)
        track.append(static_cast<size_t>(list[i]), static_cast<char>('0' + i % 2));
    const size_t q = track.size(), r = list.size(), n = q / r;
    std::vector<uint64_t> table(size_t{1} << n, empty);
    for (size_t k = 0; k < q; ++k) {
        size_t reading = 0;
        for (size_t h = 0; h < n; ++h)
            reading = reading * 2 + static_cast<size_t>(track[(k + h * r) % q] - '0');
        table[reading] = k;
    }
    std::string out = "width " + std::to_string(width) + "\n";
    for (uint64_t value : table)
        out += std::to_string(value) + "\n";
    return out;
}

// The C++ array compiled with warnings as errors, its entries printed by the program.
std::string compiled(const TempDir& dir) {
    testing_support::write_file(
        dir.file("main.cc"),
        "#include \"table.cpp\"\n#include <cstdio>\nint main() {\n"
        "    std::printf(\"width %zu\\n\", sizeof stgc_decoder[0]);\n"
        "    for (auto v : stgc_decoder) std::printf(\"%u\\n\", unsigned(v));\n}\n");
    const std::string build = "cd '" + dir.path() + "' && g++ -std=c++17 -Wall -Wextra -Werror";
    std::string output;
    EXPECT_EQ(run_command(build + " -o main main.cc && ./main", &output), 0) << output;
    return output;
}

// The data directives assembled for an ATmega128; the entries read back from the Intel hex
// file as little-endian words of `width` bytes.
std::string assembled(const TempDir& dir, int width) {
    testing_support::write_file(dir.file("wrap.asm"),
                                ".device ATmega128\n.cseg\n.org 0\n.include \"table.asm\"\n");
    std::string output;
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && avra wrap.asm", &output), 0) << output;
    EXPECT_NE(output.find("Assembly complete with no errors."), std::string::npos) << output;
    std::vector<uint8_t> bytes;
    const std::string hex = read_file(dir.file("wrap.hex"));
    for (size_t at = hex.find(':'); at != std::string::npos; at = hex.find(':', at + 1)) {
        auto byte = [&](size_t i) {
            return std::stoul(hex.substr(at + 1 + 2 * i, 2), nullptr, 16);
        };
        const size_t address = byte(1) << 8 | byte(2);
        if (byte(3) != 0) continue; // not a data record
        bytes.resize(std::max(bytes.size(), address + byte(0)));
        for (size_t i = 0; i < byte(0); ++i)
            bytes[address + i] = static_cast<uint8_t>(byte(4 + i));
    }
    std::string out = "width " + std::to_string(width) + "\n";
    for (size_t at = 0; at + static_cast<size_t>(width) <= bytes.size();
         at += static_cast<size_t>(width))
        out += std::to_string(width == 1 ? bytes[at] : bytes[at] | bytes[at + 1] << 8) + "\n";
    return out;
}

TEST(TableToolchain, GppAndAvraReadTheTableOfTheReadings) {
    using testing_support::known_good;
    // Q = 270, 9 heads: two-byte entries in a table small enough for any AVR.
    const runs nine_heads = {6, 20, 13, 3, 10, 3, 2,  11, 24, 8, 8,  3, 3, 5,  6,
                             9, 17, 12, 6, 26, 5, 13, 4,  10, 6, 11, 7, 5, 12, 2};
    const struct {
        runs list;
        int width;
        uint64_t empty;
    } codes[] = {{{3, 3}, 1, 255}, {known_good, 1, 255}, {nine_heads, 2, 65535}};
    for (const auto& c : codes) {
        SCOPED_TRACE(::testing::PrintToString(c.list));
        TempDir dir;
        testing_support::MessageLog log;
        int* list = make_runlist(c.list);
        save_assembler(list, dir.file("table.cpp").c_str(), true);
        save_assembler(list, dir.file("table.asm").c_str(), false);
        delete[] list;
        const std::string expected = expected_table(c.list, c.width, c.empty);
        EXPECT_EQ(compiled(dir), expected);
        EXPECT_EQ(assembled(dir, c.width), expected);
    }
}

} // namespace
