// File-system faults and exhausted memory for the SVG plot and the Gerber/Excellon exports: a
// clear line, the current code and geometry kept, and no existing file lost, whichever of two
// files fails.
#include <sstream>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "tests/support/faults.h"

namespace {

std::string code_and_geometry() {
    std::ostringstream out;
    out << format_runlist(global_stgc) << std::hexfloat;
    for (float d : geometry)
        out << ' ' << d;
    return out.str();
}

// The case's file is answered at prompt `faulty` (0 or 1); a one-prompt command leaves the
// second answer unread.
faults::write_command exporting(const char* name, void (*command)(), int faulty = 0) {
    return {name,
            [command, faulty](const std::string& path, const std::string& spare) {
                testing_support::ScriptedPrompts prompts;
                prompts.answer(faulty ? spare : path);
                prompts.answer(faulty ? path : spare);
                command();
            },
            [faulty](const std::string&, const std::string& failure) {
                // Both files are opened first: only a failed write comes after the Gerber file.
                if (failure.empty() || faulty == 0 || failure == faults::cant_open) return failure;
                return failure + "The Gerber file was written, the Excellon file was not.\n";
            }};
}

} // namespace

TEST(DiskFaults, EveryExportReportsEveryFaultAndKeepsTheFiles) {
    replace_global_stgc(make_runlist(testing_support::known_good));
    faults::expect_write_faults(exporting("SVG plot", sub_SVG), code_and_geometry);
    faults::expect_write_faults(exporting("Gerber only", do_Gerb_0), code_and_geometry);
    faults::expect_write_faults(exporting("Gerber of two", do_Gerb_3), code_and_geometry);
    faults::expect_write_faults(exporting("Excellon of two", do_Gerb_3, 1), code_and_geometry);
}

#ifndef FAULTS_UNDER_ASAN
TEST(DiskFaults, DrawingsThatDoNotFitMemoryAreReportedAndTheFilesKept) {
    // 50000 runs: each drawing takes megabytes, more than the child may have.
    replace_global_stgc(make_runlist(std::vector<int>(50000, 1)));
    testing_support::TempDir dir;
    for (const char* name : {"disk.svg", "disk.grb"})
        testing_support::write_file(dir.file(name), "the user's old file");
    const std::string before = code_and_geometry();
    auto r = faults::in_child(faults::privileges::kept, dir.path(), code_and_geometry, [&] {
        faults::limit_address_space(size_t{2} << 20);
        exporting("SVG plot", sub_SVG).run("disk.svg", "");
        exporting("Gerber", do_Gerb_1).run("disk.grb", "disk.drl");
    });
    ASSERT_TRUE(r.ran) << "exit code " << r.exit_code;
    const std::string refused = "Error: not enough memory for this file; nothing written\n";
    EXPECT_EQ(r.messages, refused + refused);
    EXPECT_EQ(r.state, before);
    EXPECT_EQ(faults::listing(dir.path()), "disk.grb\ndisk.svg\n");
    for (const char* name : {"disk.svg", "disk.grb"})
        EXPECT_EQ(testing_support::read_file(dir.file(name)), "the user's old file") << name;
}
#endif
