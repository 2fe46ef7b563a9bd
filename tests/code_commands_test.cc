// The text form of a code, and Load, Save, Manual input and Test STGC as the message pane
// shows them.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "code/commands.h"
#include "code/decoder.h"
#include "code/runlist.h"
#include "tests/support/faults.h"
#include "tests/support/test_support.h"

using testing_support::read_file;
using testing_support::write_file;
using testing_support::known_good;

namespace {

using lines = std::vector<std::string>;
using runs = std::vector<int>;

const std::string known_good_text =
    "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23";

// What the readers of a parsed run list see: the entries before the first 0.
runs parsed(const std::string& text) {
    int* list = parse_runlist(text.c_str());
    runs out = runs_of(list);
    delete[] list;
    return out;
}

TEST(Decoder, TextFormsGiveTheirRunListsAndFormatBack) {
    const struct {
        std::string text;
        runs expected;
    } cases[] = {
        {"10,3,5", {10, 3, 5}},
        {"10,3,5,", {10, 3, 5}},
        {"10:3;5", {10, 3, 5}},
        {"10, \n3, \n5\n", {10, 3, 5}},
        {"10 3", {103}}, // other bytes do not separate: the digits join
        {"-5,3", {5, 3}},
        {"007,3", {7, 3}},
        {"\303\2514,\3772", {4, 2}}, // bytes above 127 are skipped too
        {"10,3,0", {10, 3}},         // a 0 field ends the run list
        {"10,,3", {10}},
        {"10,3,0,5", {10, 3}},
        {",10,3", {}},
        {"", {}},
        {"abc", {}},
        // Numbers above the largest int are held at it; 4294967296 must not wrap to 0.
        {"2147483647,1", {INT_MAX, 1}},
        {"2147483648,1", {INT_MAX, 1}},
        {"99999999999999999999999,7", {INT_MAX, 7}},
        {"5,4294967296", {5, INT_MAX}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(parsed(c.text), c.expected);
        int* list = make_runlist(c.expected);
        EXPECT_EQ(parsed(format_runlist(list)), c.expected); // Save then Load gives it back
        delete[] list;
    }
    // 10,,3 stores 10, 0, 3 and the terminator; the code file form stops at the 0.
    int* list = parse_runlist("10,,3");
    EXPECT_EQ(runs(list, list + 4), (runs{10, 0, 3, 0}));
    delete[] list;
}

// Each test starts without a current code and with the default file names; its prompts are
// answered from a script (Esc when nothing is left) and its messages collected.
class Commands : public ::testing::Test {
  protected:
    void SetUp() override {
        replace_global_stgc(nullptr);
        std::strcpy(in_txt_name, "input.stgc");
        std::strcpy(out_txt_name, "output.stgc");
    }
    void TearDown() override { replace_global_stgc(nullptr); }
    void install(const runs& list) { replace_global_stgc(make_runlist(list)); }

    // Runs `command` with `answers` for its prompts; returns the message lines it appended.
    lines run(void (*command)(), const lines& answers = {}) {
        log.clear();
        for (const std::string& a : answers)
            prompts.answer(a);
        command();
        return log.lines();
    }
    static lines opening(const std::string& path, const lines& more = {}) {
        lines out{path + "...Opening..."};
        out.insert(out.end(), more.begin(), more.end());
        return out;
    }
    testing_support::TempDir dir;
    testing_support::ScriptedPrompts prompts;
    testing_support::MessageLog log;
};

TEST_F(Commands, SaveThenLoadGiveBackTheRunList) {
    EXPECT_EQ(run(sub_Save), lines{"STGC is not generated!"}); // and no prompt
    EXPECT_EQ(run(sub_Test), lines{"STGC is not generated!"});
    EXPECT_TRUE(prompts.asked().empty());

    const std::string path = dir.file("known.stgc");
    install(known_good);
    EXPECT_EQ(run(sub_Save, {path}), opening(path));
    EXPECT_EQ(read_file(path), known_good_text); // 65 bytes, no line end
    install({1, 1});
    EXPECT_EQ(run(sub_Load, {path}), opening(path, {"Size of file:65 bytes"}));
    EXPECT_EQ(runs_of(global_stgc), known_good);
    // Line ends, CR LF and spaces are skipped, and join the digits around them; a NUL ends the
    // text; an empty file installs an empty run list.
    const struct {
        std::string contents;
        runs expected;
    } files[] = {{known_good_text + "\n", known_good},
                 {"10,\r\n3, 5,\r\n18\r\n", {10, 3, 5, 18}},
                 {"10,3\n5", {10, 35}},
                 {std::string("3,3\0,7", 6), {3, 3}},
                 {"", {}}};
    for (const auto& f : files) {
        write_file(path, f.contents);
        EXPECT_EQ(run(sub_Load, {path}),
                  opening(path, {"Size of file:" + std::to_string(f.contents.size()) + " bytes"}));
        ASSERT_NE(global_stgc, nullptr);
        EXPECT_EQ(runs_of(global_stgc), f.expected) << f.contents;
    }
    // The empty run list is a code: Save writes an empty file over the old one.
    EXPECT_EQ(run(sub_Save, {path}), opening(path));
    EXPECT_TRUE(testing_support::file_exists(path));
    EXPECT_EQ(read_file(path), "");
    EXPECT_TRUE(run(sub_Manual, {"10,,3"}).empty());
    run(sub_Save, {path});
    EXPECT_EQ(read_file(path), "10");
}

TEST_F(Commands, LoadOfWhatCannotBeReadIsReportedAndKeepsTheCode) {
    install({3, 3});
    const std::string fifo = dir.file("pipe"), huge = dir.file("huge");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0); // no writer: must not hang
    write_file(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), int64_t{3} << 30), 0); // sparse
    const struct {
        std::string path;
        lines messages;
    } cases[] = {{dir.file("missing"), {"Can't open file!"}},
                 {dir.path(), {"Not a regular file!"}},
                 {fifo, {"Not a regular file!"}},
                 {huge, {"Size of file:3221225472 bytes", "File too large!"}}};
    for (const auto& c : cases) {
        EXPECT_EQ(run(sub_Load, {c.path}), opening(c.path, c.messages));
        EXPECT_EQ(runs_of(global_stgc), (runs{3, 3})) << c.path;
    }
}

TEST_F(Commands, PromptsOfferTheirOwnLastNamesAndManualInputStartsEmpty) {
    const std::string in = dir.file("in"), out = dir.file("out");
    write_file(in, "3,3");
    run(sub_Load, {in});
    run(sub_Save, {out});
    EXPECT_TRUE(run(sub_Load).empty()); // Esc: nothing printed, nothing changed
    EXPECT_TRUE(run(sub_Save).empty());
    EXPECT_TRUE(run(sub_Manual).empty());
    EXPECT_EQ(runs_of(global_stgc), (runs{3, 3}));
    run(sub_Manual, {""}); // a confirmed empty field installs an empty run list
    ASSERT_NE(global_stgc, nullptr);
    EXPECT_TRUE(runs_of(global_stgc).empty());
    run(sub_Manual, {std::string(60, '1')}); // the field keeps 49 characters
    EXPECT_EQ(runs_of(global_stgc), (runs{INT_MAX}));

    const lines offered = {"input.stgc", "output.stgc", in, out, "", "", ""};
    ASSERT_EQ(prompts.asked().size(), offered.size());
    for (size_t i = 0; i < offered.size(); ++i) {
        const auto& asked = prompts.asked()[i];
        EXPECT_EQ(asked.labels, lines{i < 4 ? "Ouput Text File (STGC):" : "STGC (manually):"});
        EXPECT_EQ(asked.offered, lines{offered[i]});
        EXPECT_EQ(asked.field, 50);
    }
}

TEST_F(Commands, TestGivesTheFirstReasonThatAppliesAndKeepsTheCode) {
    const std::string good = "STGC is good!", bad = "Bad STGC !";
    const std::string not_gray = "Is not Gray Code: not only the one light change";
    const std::string not_code = "Is not code: equal values for different angles";
    const std::string odd = "Non-integer number of cogs";
    const struct {
        runs list;
        lines messages;
    } cases[] = {
        {known_good, {"Quality = 224, Number of cogs = 28", "Number of heads = 8", good}},
        {{1, 1}, {"Quality = 2, Number of cogs = 2", "Number of heads = 1", good}},
        {{3, 3}, {"Quality = 6, Number of cogs = 2", "Number of heads = 3", good}},
        {{99, 101}, {"Quality = 200, Number of cogs = 2", "Number of heads = 100", good}},
        {{INT_MAX, INT_MAX},
         {"Quality = 4294967294, Number of cogs = 2", "Number of heads = 2147483647", good}},
        {{}, {"Quality = 0, Number of cogs = 0", bad, "Empty code: there are no runs"}},
        {{1, 2, 3}, {"Quality = 6, Number of cogs = 3", bad, odd}},
        {{1, 1, 1, 1, 3}, {"Quality = 7, Number of cogs = 5", bad, odd}},
        {{1, 2, 3, 5},
         {"Quality = 11, Number of cogs = 4", bad, "Can't calculate number of heads"}},
        {{2, 2}, {"Quality = 4, Number of cogs = 2", "Number of heads = 2", bad, not_gray}},
        // Fails both later tests (rotations 0 and 4 also read alike): the Gray reason.
        {{2, 2, 2, 2}, {"Quality = 8, Number of cogs = 4", "Number of heads = 2", bad, not_gray}},
        {{1, 1, 1, 1}, {"Quality = 4, Number of cogs = 4", "Number of heads = 1", bad, not_code}},
        {{1, 3}, {"Quality = 4, Number of cogs = 2", "Number of heads = 2", bad, not_code}},
    };
    for (const auto& c : cases) {
        install(c.list);
        EXPECT_EQ(run(sub_Test), c.messages);
        EXPECT_EQ(runs_of(global_stgc), c.list);
    }
}

#ifndef FAULTS_UNDER_ASAN
TEST_F(Commands, WithoutMemoryLoadKeepsTheCodeAndTestSaysSo) {
    const std::string path = dir.file("big.stgc");
    write_file(path, "");
    ASSERT_EQ(truncate(path.c_str(), int64_t{1536} << 20), 0); // sparse
    install({3, 3});
    auto code = [] { return format_runlist(global_stgc); };
    faults::child_result r = faults::in_child(faults::privileges::kept, "", code, [&] {
        faults::limit_address_space(size_t{256} << 20);
        run(sub_Load, {path});
    });
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.messages,
              path + "...Opening...\nSize of file:1610612736 bytes\nNot enough memory!\n");
    EXPECT_EQ(r.state, "3,3");
    // 2^22 runs with one start in every residue class and 64 heads: the step test passes and
    // the reading comparison needs more room than the child has.
    runs list(1 << 22, 1);
    list.back() = (1 << 22) * 63 + 1;
    install(list);
    r = faults::in_child(
        faults::privileges::kept, "", [] { return std::string(); },
        [&] {
            faults::limit_address_space(size_t{4} << 20);
            run(sub_Test);
        });
    ASSERT_TRUE(r.ran);
    EXPECT_EQ(r.messages, "Quality = 268435456, Number of cogs = 4194304\nNumber of heads = 64\n"
                          "Can't test STGC: not enough memory!\n");
}
#endif

} // namespace
