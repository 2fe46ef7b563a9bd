// A key storm through the real program: thousands of random keys (printable, control, arrows,
// Esc, Tab, Insert, function keys, the erase and kill characters, Ctrl-C, Ctrl-\ and Ctrl-Z,
// bytes above 127) and terminal resizes, down to below the smallest layout and back, across
// every menu and form, with a code loaded and a geometry set. Afterwards the menus must still
// answer and File -> Exit must end the program with status 0 and the terminal restored. Under
// the sanitizer build a crash or a leak ends the program with another status and fails the test.
//
// The seed is printed; STGC_SOAK_SEED=<seed> replays a run and STGC_SOAK_KEYS=<count> makes it
// longer. Random typing may well reach File -> Exit: the program must then have ended with
// status 0, and the storm goes on in a new session in the same directory.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing_support::TempDir;

namespace {

const char help_line[] = "Use arrow keys and Enter to select";
const char known_good[] = "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23\n";
const uint32_t default_seed = 20240611;
const unsigned long default_keys = 3000;

unsigned long env_number(const char* name, unsigned long fallback) {
    const char* text = getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    unsigned long value = strtoul(text, &end, 0);
    return *end == '\0' ? value : fallback;
}

// The storm's keys and sizes, a pure function of the seed (std::mt19937 is the same
// everywhere; the standard's distributions are not, so plain remainders are used).
class Storm {
  public:
    explicit Storm(uint32_t seed) : random_(seed) {}

    unsigned below(unsigned n) { return static_cast<unsigned>(random_() % n); }

    // The next keys: mostly one, now and then a short phrase that starts a generation with
    // the offered or a random number of heads when it lands on the bar (elsewhere it is
    // just more typing).
    std::vector<std::string> keys() {
        if (below(100) >= 3) return {key()};
        std::string heads = std::to_string(3 + below(18));
        switch (below(3)) {
        case 0:
            return {"s", "Enter", "Enter", "Enter"};
        case 1:
            return {"s", "g", heads, "Enter", "Enter"};
        default:
            return {"s", "Enter", heads, "Enter", "Enter"};
        }
    }

    // A key name for Session::press, or raw bytes (marked by a leading '\0' byte that is not
    // sent).
    std::string key() {
        static const char* const named[] = {
            "Up",    "Down",   "Left",     "Right",     "Enter", "Esc",   "Esc",
            "Tab",   "Insert", "Delete",   "Home",      "End",   "Erase", "Kill",
            "Space", "PageUp", "PageDown", "Backspace", "Enter", "Down",  "Up",
        };
        // Letters that are hot keys somewhere in the tree, so the storm gets round the menus.
        static const char hot[] = "fFsSeEhHlLmMtTgGcCaAbBiI";
        unsigned pick = below(100);
        if (pick < 30) { // printable ASCII; never '/', so every file name lands in the directory
            char c;
            do {
                c = static_cast<char>(' ' + below(95));
            } while (c == '/');
            return std::string(1, c);
        }
        if (pick < 40) return std::string(1, "0123456789,"[below(11)]);
        if (pick < 48) return std::string(1, hot[below(sizeof hot - 1)]);
        if (pick < 80) return named[below(sizeof named / sizeof named[0])];
        if (pick < 85) return "F" + std::to_string(1 + below(12));
        if (pick < 88) return raw(below(2) == 0 ? '\x03' : '\x1c'); // Ctrl-C, Ctrl-backslash
        if (pick < 97) {
            // Other control characters, Ctrl-Z included: the program runs in a process group
            // no shell controls, so the stop itself is dropped, but the program's handling
            // (screen put away, brought back) runs. Ctrl-S and Ctrl-Q are the terminal's flow
            // control, not keys the program sees: Ctrl-S would stop its output until a Ctrl-Q.
            char c;
            do {
                c = static_cast<char>(below(32));
            } while (c == 0x11 || c == 0x13);
            return raw(c);
        }
        return raw(static_cast<char>(0x80 + below(128))); // a byte above 127
    }

    // A terminal size: now and then below the smallest layout (8 x 32), sometimes very wide.
    void size(int* rows, int* cols) {
        unsigned pick = below(10);
        if (pick < 2) {
            *rows = 1 + static_cast<int>(below(7));
            *cols = 1 + static_cast<int>(below(120));
        } else if (pick < 3) {
            *rows = 8 + static_cast<int>(below(40));
            *cols = 1 + static_cast<int>(below(31));
        } else if (pick < 4) {
            *rows = 8 + static_cast<int>(below(20));
            *cols = 250 + static_cast<int>(below(60));
        } else {
            *rows = 8 + static_cast<int>(below(50));
            *cols = 32 + static_cast<int>(below(170));
        }
    }

    static std::string raw(char c) { return std::string(1, '\0') + c; }

  private:
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

void pause_ms(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The names in a directory, "." and ".." left out.
std::vector<std::string> entries(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

// Starts the program in `cwd`, loads the known good code (from a file: its 65 characters do not
// fit the 49 of Manual input's field) and sets a geometry.
std::unique_ptr<e2e::Session> start_with_code(const std::string& cwd) {
    testing_support::write_file(cwd + "/input.stgc", known_good);
    e2e::Options options;
    options.cwd = cwd;
    std::unique_ptr<e2e::Session> session(new e2e::Session(options));
    e2e::Session& s = *session;
    EXPECT_TRUE(s.wait_for(help_line));
    s.press("f");
    EXPECT_TRUE(s.wait_for("Manual input"));
    s.press("l");
    EXPECT_TRUE(s.wait_for("Ouput Text File (STGC): input.stgc"));
    s.press("Enter");
    s.press("Esc");
    EXPECT_TRUE(s.wait_for("Size of file:66 bytes"));
    s.press("e");
    EXPECT_TRUE(s.wait_for("Change Geometry"));
    s.press("Enter");
    EXPECT_TRUE(s.wait_for("Ext Diameter with Cog        180.000000"));
    s.type("200");
    s.press("Enter", 5);
    s.press("Esc");
    EXPECT_TRUE(s.wait_for("Ext Diameter with Cog : 200.000000 mm"));
    return session;
}

// A program that ended during the storm went through File -> Exit: status 0 and the terminal's
// modes back. What reached the screen is not certain then: the storm may have typed Ctrl-C into
// the shell's line discipline, which throws away output not read yet.
void expect_exit_during_storm(e2e::Session& s) {
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.modes_restored());
}

TEST(Soak, KeyStormAcrossMenusAndFormsThenFileExit) {
    const uint32_t seed = static_cast<uint32_t>(env_number("STGC_SOAK_SEED", default_seed));
    const unsigned long keys = env_number("STGC_SOAK_KEYS", default_keys);
    std::cout << "soak: seed " << seed << ", " << keys
              << " keys (replay with STGC_SOAK_SEED=" << seed << " STGC_SOAK_KEYS=" << keys << ")"
              << std::endl;
    SCOPED_TRACE("soak seed " + std::to_string(seed));

    TempDir root;
    const std::string cwd = root.file("work");
    ASSERT_EQ(mkdir(cwd.c_str(), 0700), 0);

    Storm storm(seed);
    std::unique_ptr<e2e::Session> session = start_with_code(cwd);
    ASSERT_FALSE(::testing::Test::HasFailure());
    int sessions = 1, resizes = 0;
    unsigned long sent = 0;
    // After File -> Exit: checks the end and goes on in a new session.
    auto carry_on_after_exit = [&] {
        if (!session->exited()) return;
        expect_exit_during_storm(*session);
        ASSERT_FALSE(::testing::Test::HasFailure()) << "after " << sent << " keys";
        session = start_with_code(cwd);
        ++sessions;
    };
    while (sent < keys) {
        // A burst of keys typed as fast as they come, now and then a resize, then a short
        // breath so the program's work interleaves with the typing.
        unsigned burst = 1 + storm.below(40);
        for (unsigned i = 0; i < burst && sent < keys; ++i) {
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
            ASSERT_FALSE(::testing::Test::HasFailure());
        }
        pause_ms(storm.below(25));
        session->pump();
    }

    // The storm is over: back to a normal size, Esc out of whatever is open. The keys still on
    // their way may end the program through File -> Exit too.
    session->resize(24, 80);
    (void)session->settle(300, 2000);
    carry_on_after_exit();
    ASSERT_FALSE(::testing::Test::HasFailure());
    for (int i = 0; i < 5; ++i) {
        session->press("Esc");
        pause_ms(150);
        session->pump();
    }
    carry_on_after_exit();
    ASSERT_FALSE(::testing::Test::HasFailure());
    e2e::Session& s = *session;
    ASSERT_TRUE(s.wait_for_row(23, help_line)) << "after " << sent << " keys";
    // The menus answer: File opens at once.
    auto asked = std::chrono::steady_clock::now();
    s.press("f");
    ASSERT_TRUE(s.wait_for("Manual input"));
    auto answered = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - asked);
    std::cout << "soak: " << sessions << " session(s), " << resizes
              << " resizes; File opened after the storm in " << answered.count() << " ms"
              << std::endl;
    s.press("e");
    ASSERT_TRUE(s.wait_exit());
    EXPECT_EQ(s.exit_status(), 0);
    EXPECT_TRUE(s.terminal_restored());
    EXPECT_EQ(entries(root.path()), std::vector<std::string>{"work"})
        << "a typed file name reached outside the working directory";
}

} // namespace
