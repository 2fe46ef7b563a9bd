// A key storm through the real program: thousands of random keys (printable, control, arrows,
// Esc, Tab, Insert, function keys, the erase and kill characters, Ctrl-C, Ctrl-\ and Ctrl-Z,
// bytes above 127) and terminal resizes down to below the smallest layout, across every menu
// and form, with a code loaded and a geometry set. Afterwards the menus must answer and
// File -> Exit must end the program with status 0 and the terminal restored; under the
// sanitizer build a crash or a leak ends it otherwise and fails the test.
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
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

namespace {

const char help_line[] = "Use arrow keys and Enter to select";

unsigned long env_number(const char* name, unsigned long fallback) {
    const char* text = getenv(name);
    return text && *text ? strtoul(text, nullptr, 0) : fallback;
}

// The storm, a pure function of the seed: std::mt19937 is the same everywhere, the standard's
// distributions are not, so plain remainders are used.
class Storm {
  public:
    explicit Storm(uint32_t seed) : random_(seed) {}
    unsigned below(unsigned n) { return static_cast<unsigned>(random_() % n); }

    // Key names for Session::press, numbers to type, or a raw byte after a '\0' marker. Now
    // and then a phrase that starts a generation when it lands on the bar.
    std::vector<std::string> keys() {
        if (below(100) < 3) {
            std::string heads = std::to_string(3 + below(18));
            const std::vector<std::string> phrases[] = {{"s", "Enter", "Enter", "Enter"},
                                                        {"s", "g", heads, "Enter", "Enter"},
                                                        {"s", "Enter", heads, "Enter", "Enter"}};
            return phrases[below(3)];
        }
        static const char* const named[] = {
            "Up",    "Down",   "Left",     "Right",     "Enter", "Esc",   "Esc",
            "Tab",   "Insert", "Delete",   "Home",      "End",   "Erase", "Kill",
            "Space", "PageUp", "PageDown", "Backspace", "Enter", "Down",  "Up"};
        static const char hot[] = "fFsSeEhHlLmMtTgGcCaAbBiI"; // hot keys somewhere in the tree
        unsigned pick = below(100);
        char c;
        if (pick < 30) { // printable; never '/', so every file name lands in the directory
            do
                c = static_cast<char>(' ' + below(95));
            while (c == '/');
            return {std::string(1, c)};
        }
        if (pick < 40) return {std::string(1, "0123456789,"[below(11)])};
        if (pick < 48) return {std::string(1, hot[below(sizeof hot - 1)])};
        if (pick < 80) return {named[below(sizeof named / sizeof named[0])]};
        if (pick < 85) return {"F" + std::to_string(1 + below(12))};
        if (pick < 88) return {raw(below(2) == 0 ? '\x03' : '\x1c')};
        if (pick < 97) {
            // Other control characters, Ctrl-Z included: no shell controls the program's group,
            // so the stop is dropped but the program's handling runs. Ctrl-S must not freeze
            // the output.
            return {raw(static_cast<char>(below(32)))};
        }
        return {raw(static_cast<char>(0x80 + below(128)))};
    }

    // Now and then below the smallest layout (8 x 32), sometimes very wide.
    void size(int* rows, int* cols) {
        unsigned pick = below(10);
        *rows = pick < 2 ? 1 + int(below(7)) : 8 + int(below(pick < 3 ? 40 : pick < 4 ? 20 : 50));
        *cols = pick < 2   ? 1 + int(below(120))
                : pick < 3 ? 1 + int(below(31))
                : pick < 4 ? 250 + int(below(60))
                           : 32 + int(below(170));
    }

  private:
    static std::string raw(char c) { return std::string(1, '\0') + c; }
    std::mt19937 random_;
};

void send(e2e::Session& s, const std::string& key) {
    if (key.size() == 2 && key[0] == '\0')
        s.send_bytes(key.substr(1));
    else if (key.find_first_not_of("0123456789") == std::string::npos)
        s.type(key); // a number of heads
    else
        s.press(key);
}

// Starts the program in `cwd`, loads a known good code from a file (its 65 characters do not
// fit Manual input's field) and sets a geometry.
std::unique_ptr<e2e::Session> start_with_code(const std::string& cwd) {
    testing_support::write_file(
        cwd + "/input.stgc", "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23\n");
    e2e::Options options;
    options.cwd = cwd;
    std::unique_ptr<e2e::Session> session(new e2e::Session(options));
    e2e::Session& s = *session;
    EXPECT_TRUE(s.wait_for(help_line));
    for (const char* key : {"f", "l", "Enter", "Esc"})
        s.press(key);
    EXPECT_TRUE(s.wait_for("Size of file:66 bytes"));
    for (const char* key :
         {"e", "Enter", "2", "0", "0", "Enter", "Enter", "Enter", "Enter", "Enter", "Esc"})
        s.press(key);
    EXPECT_TRUE(s.wait_for("Ext Diameter with Cog : 200.000000 mm"));
    return session;
}

TEST(Soak, KeyStormAcrossMenusAndFormsThenFileExit) {
    const uint32_t seed = static_cast<uint32_t>(env_number("STGC_SOAK_SEED", 20240611));
    const unsigned long keys = env_number("STGC_SOAK_KEYS", 3000);
    std::cout << "soak: seed " << seed << ", " << keys
              << " keys (replay with STGC_SOAK_SEED=" << seed << " STGC_SOAK_KEYS=" << keys << ")"
              << std::endl;
    SCOPED_TRACE("soak seed " + std::to_string(seed));

    testing_support::TempDir root;
    const std::string cwd = root.file("work");
    ASSERT_EQ(mkdir(cwd.c_str(), 0700), 0);
    Storm storm(seed);
    std::unique_ptr<e2e::Session> session = start_with_code(cwd);
    ASSERT_FALSE(testing::Test::HasFailure());
    int sessions = 1, resizes = 0;
    unsigned long sent = 0;
    // A program that ended went through File -> Exit: status 0, the pty's modes back (a Ctrl-C
    // in the line discipline may have thrown away output, so not the screen), a new session.
    auto carry_on_after_exit = [&] {
        if (!session->exited()) return;
        ASSERT_TRUE(session->wait_exit());
        EXPECT_EQ(session->exit_status(), 0) << "after " << sent << " keys";
        EXPECT_TRUE(session->modes_restored());
        session = start_with_code(cwd);
        ++sessions;
    };
    while (sent < keys) {
        // A burst typed as fast as it comes, now and then a resize, then a short breath so the
        // program's work interleaves with the typing.
        for (unsigned i = 1 + storm.below(40); i > 0 && sent < keys; --i) {
            for (const std::string& key : storm.keys()) {
                send(*session, key);
                ++sent;
            }
            if (storm.below(60) == 0) {
                int rows = 0, cols = 0;
                storm.size(&rows, &cols);
                session->resize(rows, cols);
                ++resizes;
            }
            carry_on_after_exit();
            ASSERT_FALSE(testing::Test::HasFailure());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(storm.below(25)));
        session->pump();
    }

    // Back to a normal size, Esc out of whatever is open; keys still on their way may end the
    // program too.
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
        << "after " << sent << " keys";
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    std::cout << "soak: " << sessions << " session(s), " << resizes << " resizes" << std::endl;
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
    // Nothing typed reached outside the working directory.
    std::string listing;
    testing_support::run_command("ls -A '" + root.path() + "'", &listing);
    EXPECT_EQ(listing, "work\n");
}

} // namespace
