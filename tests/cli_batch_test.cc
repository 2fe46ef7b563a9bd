// stgc-batch through the real binary: every command and refusal against a golden transcript,
// its exports against the interactive commands' files, and the installed programs.
#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/decoder.h"
#include "code/runlist.h"
#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/table_commands.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

const std::string batch = STGC_BATCH;

// The files of a directory with their contents, a temporary file left behind included.
std::map<std::string, std::string> snapshot(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (std::string(" .in .out .err ").find(" " + entry.path().filename().string() + " ") ==
            std::string::npos)
            files[entry.path().filename()] = read_file(entry.path());
    return files;
}

struct outcome {
    int status;
    std::string out, err;
};

outcome run_batch(const TempDir& dir, const std::string& args, const std::string& input = "") {
    write_file(dir.file(".in"), input);
    // A German locale's decimal comma must not change what a number means.
    const int status = run_command("cd '" + dir.path() + "' && { LC_ALL=de_DE.UTF-8 " + batch +
                                   " " + args + " <.in >.out 2>.err; }");
    return {status, read_file(dir.file(".out")), read_file(dir.file(".err"))};
}

// The search's times vary from run to run: "0.012 s" reads "T s".
std::string without_times(const std::string& text) {
    return std::regex_replace(text, std::regex("[0-9]+\\.[0-9]+ s\\b"), "T s");
}

// Each case: its exit status, what it printed, and every file it created or changed (there
// must be none for a refusal).
TEST(Batch, CommandsAndRefusalsMatchTheGoldenTranscript) {
    TempDir dir;
    write_file(dir.file("known.stgc"),
               "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23");
    write_file(dir.file("tiny.stgc"), "3,3");
    write_file(dir.file("bad.stgc"), "1,1,1,1");
    write_file(dir.file("empty.stgc"), "");
    write_file(dir.file("kept.txt"), "an older file\n");
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink("a.grb", dir.file("to_a.drl")); // not there yet
    const struct {
        const char* args;
        const char* input;
    } cases[] = {
        {"generate --heads 9 --quality 360 --seed 7", ""},
        {"generate --heads 11 --quality 132 --seed 1", ""}, // the search backs up on the way
        {"generate -n 5 --cogs 3 --seed 1 --verbose -o five.stgc", ""},
        {"test known.stgc", ""},
        {"test bad.stgc", ""},
        {"test -", "1,2,3"},
        {"info known.stgc --outer 60 --inner 50", ""},
        {"info - --outer 60.5 --inner 50.25", "3,3"},
        {"export asm tiny.stgc", ""},
        {"export cpp tiny.stgc -o -", ""},
        {"export txt tiny.stgc -o tiny.txt", ""},
        {"export scad tiny.stgc --outer 60 --inner 50 --centre 8 --mount 20 --hole 3.2 "
         "--thickness 1.5",
         ""},
        {"export dxf known.stgc --centre 149 -o new.dxf", ""},
        {"export svg known.stgc --thickness 3 -o new.svg", ""},
        {"export asm bad.stgc -o kept.txt", ""},
        {"export txt empty.stgc -o kept.txt", ""},
        {"generate --heads 21 --quality 42 -o kept.txt", ""},
        {"generate --heads 9 --quality 100 -o kept.txt", ""},
        {"generate --heads 9 --quality 1000 -o kept.txt", ""},
        {"generate --heads 9 --cogs 0 -o kept.txt", ""},
        {"generate --heads 9 -o kept.txt", ""},
        {"generate --heads 9 --quality 360 --cogs 20", ""},
        {"generate --heads", ""},
        {"generate --heads 9 --quality 360 --colour", ""},
        {"export svg known.stgc --inner 200 -o new.svg", ""},
        {"export svg known.stgc --hole 0 -o new.svg", ""},
        {"export svg known.stgc --outer 6,5 -o new.svg", ""},
        {"export svg known.stgc -o known.stgc", ""},
        {"export gerber known.stgc -o a.grb --drill ./a.grb --drill-holes all", ""},
        {"export gerber known.stgc -o a.grb --drill sub/../a.grb --drill-holes all", ""},
        {"export gerber known.stgc -o a.grb --drill to_a.drl --drill-holes centre", ""},
        {"export gerber known.stgc -o a.grb --drill-holes mount", ""},
        {"export gerber known.stgc -o a.grb --drill a.drl", ""},
        {"export pdf known.stgc", ""},
        {"export asm known.stgc --outer 60 -o new.asm", ""},
        {"test missing.stgc", ""},
        {"test .", ""},
        {"", ""},
        {"generate --heads 6 --quality 48 --longest-runs --seed 1", ""},
        {"generate --heads 9 --quality 360 --longest-runs --seed 3 --effort 2000000", ""},
        {"generate --heads 6 --quality 48 --min-run 4 --seed 3 -o six.stgc", ""},
        {"test six.stgc", ""},
        {"generate --heads 6 --quality 48 --min-run 5 -o kept.txt", ""},
        {"generate --heads 9 --quality 360 --longest-runs --seed 3 --time 3", ""},
        {"generate --heads 9 --quality 360 --min-run 3 --longest-runs", ""},
    };
    std::string transcript;
    for (const auto& c : cases) {
        const auto before = snapshot(dir.path());
        const outcome o = run_batch(dir, c.args, c.input);
        transcript += "$ stgc-batch " + std::string(c.args) + "\n-- exit " +
                      std::to_string(o.status) + "\n" + o.out +
                      (o.out.empty() || o.out.back() == '\n' ? "" : "\n") + without_times(o.err);
        for (const auto& [name, contents] : snapshot(dir.path()))
            if (!before.count(name) || before.at(name) != contents)
                transcript += "-- wrote " + name + "\n" + contents + "\n";
    }
    expect_golden(transcript, "cli/transcript.txt");
}

// Ctrl-C ends a search that has no end in sight and keeps the best code it found so far.
TEST(Batch, InterruptedSearchWritesTheBestCodeSoFar) {
    TempDir dir;
    std::string said;
    const std::string search = batch + " generate -n 10 -q 960 --longest-runs --time 900";
    EXPECT_EQ(run_command("cd '" + dir.path() + "' && { " + search + " -o best.stgc 2>err & " +
                              "i=0; until grep -q 'shortest run' err || [ $i -gt 9999 ]; do " +
                              "sleep 0.05; i=$((i+1)); done; " + "kill -INT $! && wait $!; }",
                          &said),
              0)
        << said;
    const std::string err = read_file(dir.file("err"));
    EXPECT_NE(err.find("stopped"), std::string::npos) << err;
    const outcome test = run_batch(dir, "test best.stgc");
    EXPECT_EQ(test.status, 0);
    EXPECT_NE(
        test.out.find("Quality = 960, Number of cogs = 96\nNumber of heads = 10\nSTGC is good!"),
        std::string::npos)
        << test.out;
}

// One writer, two front ends: each export of the menus and of stgc-batch, byte for byte.
TEST(Batch, ExportsEqualTheInteractiveCommandsFiles) {
    TempDir dir;
    ASSERT_EQ(run_batch(dir, "generate --heads 9 --quality 360 --seed 7 -o code.stgc").status, 0);
    // Without a seed every run gives a fresh code.
    EXPECT_NE(run_batch(dir, "generate -n 12 -c 40").out,
              run_batch(dir, "generate -n 12 -c 40").out);
    MessageLog log;
    ScriptedPrompts prompts;
    decoder(read_file(dir.file("code.stgc")).c_str());
    const float dims[5] = {60, 50, 8, 20, 3.2f};
    std::copy(dims, dims + 5, geometry);
    const std::string disk = " --outer 60 --inner 50 --centre 8 --mount 20 --hole 3.2";
    const struct {
        void (*command)();
        const char* batch_args;
        std::vector<const char*> files;
    } exports[] = {
        {sub_SVG, "svg code.stgc -o b.svg", {"svg"}},
        {do_Gerb_0, "gerber code.stgc -o b.grb", {"grb"}},
        {do_Gerb_1, "gerber code.stgc -o b.grb --drill b.drl --drill-holes mount", {"grb", "drl"}},
        {do_Gerb_2, "gerber code.stgc -o b.grb --drill b.drl --drill-holes centre", {"grb", "drl"}},
        {do_Gerb_3, "gerber code.stgc -o b.grb --drill b.drl --drill-holes all", {"grb", "drl"}},
        {sub_ASM, "asm code.stgc -o b.asm", {"asm"}},
        {sub_CPP, "cpp code.stgc -o b.cpp", {"cpp"}},
        {sub_TXT, "txt code.stgc -o b.txt", {"txt"}},
    };
    for (const auto& e : exports) {
        for (const char* extension : e.files)
            prompts.answer(dir.file(std::string("i.") + extension));
        e.command();
        const bool table = std::string(e.batch_args).compare(0, 3, "svg") != 0 &&
                           std::string(e.batch_args).compare(0, 6, "gerber") != 0;
        EXPECT_EQ(
            run_batch(dir, "export " + std::string(e.batch_args) + (table ? "" : disk)).status, 0);
        for (const char* extension : e.files) {
            const std::string made = read_file(dir.file(std::string("i.") + extension));
            EXPECT_GT(made.size(), 50u) << e.batch_args;
            EXPECT_EQ(read_file(dir.file(std::string("b.") + extension)), made) << e.batch_args;
        }
    }
    std::copy(initial_geometry, initial_geometry + 5, geometry);
    replace_global_stgc(nullptr);
}

// The installed programs run, and their manual pages pass mandoc's lint.
TEST(Batch, InstallsProgramsAndManualPages) {
    TempDir dir;
    std::string said;
    ASSERT_EQ(run_command("cmake --install " STGC_BUILD_DIR " --prefix " + dir.path(), &said), 0)
        << said;
    for (const char* file : {"bin/stgc", "share/man/man1/stgc.1"})
        EXPECT_TRUE(file_exists(dir.file(file))) << file;
    said.clear();
    EXPECT_EQ(run_command(dir.file("bin/stgc-batch") + " generate -n 10 -c 30 | " +
                              dir.file("bin/stgc-batch") + " test -",
                          &said),
              0);
    EXPECT_NE(said.find("STGC is good!"), std::string::npos) << said;
    said.clear();
    EXPECT_EQ(run_command("mandoc -T lint -W warning " + dir.file("share/man/man1/stgc.1") + " " +
                              dir.file("share/man/man1/stgc-batch.1"),
                          &said),
              0)
        << said;
    EXPECT_EQ(said, "");
}

} // namespace
