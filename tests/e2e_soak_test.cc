// A key storm through the real program: thousands of random keys (printable, control, arrows,
// Esc, Tab, Insert, function keys, the erase and kill characters, Ctrl-C, Ctrl-\, Ctrl-Z,
// bytes above 127) and terminal resizes down to below the smallest layout, across every
// menu and form, with a code loaded and a geometry set. Afterwards the menus must answer and
// File -> Exit must end the program with status 0 and the terminal restored.
//
// The seed is printed; STGC_SOAK_SEED=<seed> replays a run, STGC_SOAK_KEYS=<count> makes it
// longer. Random typing may reach File -> Exit: the program must then have ended with status
// 0, and the storm goes on in a new session in the same directory.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

const char help_line[] = "Use arrow keys and Enter to select";

unsigned long env_number(const char* name, unsigned long fallback) {
    const char* text = getenv(name);
    return text && *text ? strtoul(text, nullptr, 0) : fallback;
}

// std::mt19937 is the same everywhere, the standard's distributions are not: plain remainders.
std::mt19937 random_source;
unsigned below(unsigned n) {
    return static_cast<unsigned>(random_source() % n);
}

// One random key, sent; now and then a phrase that starts a generation.
void send_random_key(e2e::Session& s) {
    static const char* const named[] = {
        "Up",    "Down",   "Left",     "Right",     "Enter", "Esc",   "Esc",
        "Tab",   "Insert", "Delete",   "Home",      "End",   "Erase", "Kill",
        "Space", "PageUp", "PageDown", "Backspace", "Enter", "Down",  "Up"};
    static const char hot[] = "fFsSeEhHlLmMtTgGcCaAbBiI"; // hot keys somewhere in the tree
    const unsigned pick = below(100);
    if (pick < 3) {
        for (const char* key : {"s", "g"})
            s.press(key);
        s.type(std::to_string(3 + below(18)));
        s.press("Enter", 2);
    } else if (pick < 33) {
        char c = static_cast<char>(' ' + below(95));
        s.type(std::string(1, c == '/' ? '.' : c)); // every file name lands in the directory
    } else if (pick < 43) {
        s.type(std::string(1, "0123456789,"[below(11)]));
    } else if (pick < 51) {
        s.type(std::string(1, hot[below(sizeof hot - 1)]));
    } else if (pick < 82) {
        s.press(named[below(sizeof named / sizeof named[0])]);
    } else if (pick < 87) {
        s.press("F" + std::to_string(1 + below(12)));
    } else if (pick < 97) {
        // Not Ctrl-S and Ctrl-Q: while a Ctrl-Z hands the terminal back its own modes, Ctrl-S
        // stops the output as in any shell, until a Ctrl-Q.
        char c;
        do
            c = static_cast<char>(below(32));
        while (c == 0x11 || c == 0x13);
        s.send_bytes(std::string(1, c));
    } else {
        s.send_bytes(std::string(1, static_cast<char>(0x80 + below(128))));
    }
}

// Below the smallest layout now and then, sometimes very wide.
void random_resize(e2e::Session& s) {
    const unsigned pick = below(10);
    const int rows = pick < 2 ? 1 + int(below(7)) : 8 + int(below(pick < 4 ? 20 : 50));
    const int cols = pick < 2 ? 1 + int(below(120)) : pick < 3 ? 250 + int(below(60))
                                                                : 32 + int(below(170));
    s.resize(rows, cols);
}

std::unique_ptr<e2e::Session> start_with_code(const std::string& cwd) {
    testing_support::write_file(
        cwd + "/input.stgc", "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23\n");
    e2e::Options options;
    options.cwd = cwd;
    std::unique_ptr<e2e::Session> s(new e2e::Session(options));
    EXPECT_TRUE(s->wait_for(help_line));
    for (const char* key : {"f", "l", "Enter", "Esc"})
        s->press(key);
    EXPECT_TRUE(s->wait_for("Size of file:66 bytes"));
    for (const char* key : {"e", "Enter", "2", "0", "0", "Enter", "Enter", "Enter", "Enter",
                            "Enter", "Esc"})
        s->press(key);
    EXPECT_TRUE(s->wait_for("Ext Diameter with Cog : 200.000000 mm"));
    return s;
}

TEST(Soak, KeyStormAcrossMenusAndFormsThenFileExit) {
    const uint32_t seed = static_cast<uint32_t>(env_number("STGC_SOAK_SEED", 20240611));
    const unsigned long keys = env_number("STGC_SOAK_KEYS", 3000);
    std::cout << "soak: seed " << seed << ", " << keys << " keys (replay with STGC_SOAK_SEED="
              << seed << " STGC_SOAK_KEYS=" << keys << ")" << std::endl;
    random_source.seed(seed);
    testing_support::TempDir root;
    const std::string cwd = root.file("work");
    ASSERT_EQ(mkdir(cwd.c_str(), 0700), 0);
    std::unique_ptr<e2e::Session> session = start_with_code(cwd);
    ASSERT_FALSE(testing::Test::HasFailure());
    int sessions = 1;
    unsigned long sent = 0;
    auto carry_on_after_exit = [&] {
        if (!session->exited()) return;
        ASSERT_TRUE(session->wait_exit());
        EXPECT_EQ(session->exit_status(), 0) << "after " << sent << " keys";
        // Only the modes: a Ctrl-C in the storm may throw away output the emulator did not read.
        EXPECT_TRUE(session->modes_restored());
        session = start_with_code(cwd);
        ++sessions;
    };
    while (sent < keys) {
        // Bursts without waiting, then a pause: keys arrive both typed ahead and one by one.
        for (unsigned i = 1 + below(40); i > 0 && sent < keys; --i, ++sent) {
            send_random_key(*session);
            if (below(60) == 0) random_resize(*session);
            carry_on_after_exit();
            ASSERT_FALSE(testing::Test::HasFailure());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(below(25)));
        session->pump();
    }
    // Out of whatever form or pull-down the storm left open, back to the bar.
    session->resize(24, 80);
    (void)session->settle(300, 2000);
    for (int i = 0; i < 6; ++i) {
        carry_on_after_exit();
        ASSERT_FALSE(testing::Test::HasFailure());
        session->press("Esc");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        session->pump();
    }
    carry_on_after_exit();
    e2e::Session& s = *session;
    ASSERT_TRUE(s.wait_until([&] { return s.row(23).find(help_line) != std::string::npos; },
                             "the bar answering"))
        << "after " << sent << " keys, seed " << seed;
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    std::cout << "soak: " << sessions << " session(s)" << std::endl;
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
    // Whatever the storm saved went into the working directory, nowhere else.
    std::string listing;
    testing_support::run_command("ls -A '" + root.path() + "'", &listing);
    EXPECT_EQ(listing, "work\n");
}

} // namespace
