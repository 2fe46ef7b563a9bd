// The disk exports through the real program: the geometry form and its echo, the SVG plot and
// the Gerber/Excellon pull-down, in a decimal-point and a decimal-comma locale.
#include <gtest/gtest.h>

#include <clocale>

#include "tests/e2e/harness.h"
#include "tests/support/test_support.h"

using testing_support::file_exists;
using testing_support::read_file;
using testing_support::TempDir;

namespace {

const char known_good[] = "10,3,5,18,14,3,4,8,6,6,5,6,10,3,13,4,5,12,4,13,4,4,11,4,12,5,9,23\n";

class DiskExport : public ::testing::Test {
  protected:
    void start(const std::string& locale = "C.UTF-8") {
        e2e::Options o;
        o.cwd = dir.path();
        o.locale = locale;
        session.reset(new e2e::Session(o));
        ASSERT_TRUE(session->wait_for("Use arrow keys and Enter to select"));
    }
    // File -> Load with the offered name, input.stgc.
    void load_code() {
        testing_support::write_file(dir.file("input.stgc"), known_good);
        e2e::Session& s = *session;
        s.press("Enter");
        ASSERT_TRUE(s.wait_for("Manual input"));
        s.press("Enter");
        ASSERT_TRUE(s.wait_for("Ouput Text File (STGC): input.stgc"));
        s.press("Enter");
        s.press("Esc"); // the pull-down covers the message pane
        ASSERT_TRUE(s.wait_for("Size of file:66 bytes"));
    }
    // Opens the Export pull-down from the bar.
    void open_export() {
        e2e::Session& s = *session;
        s.press("Right", 2);
        s.press("Enter");
        ASSERT_TRUE(s.wait_for("Change Geometry"));
    }
    ::testing::AssertionResult wait_file(const std::string& name) {
        const std::string path = dir.file(name);
        return session->wait_until([&] { return file_exists(path); }, name + " written");
    }

    TempDir dir;
    std::unique_ptr<e2e::Session> session;
};

TEST_F(DiskExport, ChangeGeometryEchoesEveryDimension) {
    start();
    open_export();
    e2e::Session& s = *session;
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ext Diameter with Cog        180.000000"));
    s.type("200");
    s.press("Enter");
    s.type("abc");
    s.press("Enter", 4);
    s.press("Esc"); // close the pull-down that covers the message pane
    EXPECT_TRUE(s.wait_for_row(2, "Ext Diameter with Cog : 200.000000 mm"));
    EXPECT_TRUE(s.wait_for_row(3, "Ext Diameter w/o Cog : 150.000000 mm"));
    EXPECT_TRUE(s.wait_for_row(4, "Diameter of center hole : 24.000000 mm"));
    EXPECT_TRUE(s.wait_for_row(5, "Distance between holes (far) : 46.000000 mm"));
    EXPECT_TRUE(s.wait_for_row(6, "Mount Hole Diameter : 12.000000 mm"));
    // Esc in the form leaves everything as it was and prints nothing more.
    s.press("Enter", 2);
    ASSERT_TRUE(s.wait_for("Ext Diameter with Cog        200.000000"));
    s.type("5");
    s.press("Esc");
    s.press("Esc");
    ASSERT_TRUE(s.settle());
    EXPECT_FALSE(s.contains("5.000000 mm"));
    EXPECT_FALSE(s.contains("Ext Diameter with Cog        "));
}

TEST_F(DiskExport, SvgPlotWithoutACode) {
    start();
    open_export();
    e2e::Session& s = *session;
    s.press("Down");
    s.press("Enter");
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("STGC is not generated!"));
    EXPECT_FALSE(s.contains("Ouput File (SVG):"));
}

TEST_F(DiskExport, SvgPlotWritesTheDrawing) {
    start();
    load_code();
    open_export();
    e2e::Session& s = *session;
    s.press("Down");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput File (SVG): output.svg"));
    s.press("Enter");
    ASSERT_TRUE(wait_file("output.svg"));
    ASSERT_TRUE(s.wait_until([&] { return read_file(dir.file("output.svg")).find("</svg>\n") != std::string::npos; },
                             "complete drawing"));
    const std::string svg = read_file(dir.file("output.svg"));
    EXPECT_NE(svg.find("  <path d=\"M 112.000000,83.500000\n"
                       "    A 37.500000,37.500000 0 0,1, 122.381332,84.965599\n"),
              std::string::npos);
    EXPECT_NE(svg.find("\n    1:2\n"), std::string::npos);
    s.press("Esc");
    ASSERT_TRUE(s.settle());
    EXPECT_FALSE(s.contains("Can't"));
    EXPECT_FALSE(s.contains("Error"));
}

TEST_F(DiskExport, GerberExcellonPullDown) {
    start();
    load_code();
    open_export();
    e2e::Session& s = *session;
    s.press("Down", 2);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    EXPECT_TRUE(s.contains("Gerber+Excellon for mount"));
    EXPECT_TRUE(s.contains("Gerber+Excellon for central"));
    EXPECT_TRUE(s.contains("Gerber+Excellon for holes"));
    ASSERT_TRUE(s.wait_for_row(23, "All holes in Gerber file"));
    s.press("Down");
    ASSERT_TRUE(s.wait_for_row(23, "Central in gerber, mount in Excellon"));
    s.press("Down");
    ASSERT_TRUE(s.wait_for_row(23, "Central in Excellon, mount in gerber"));
    s.press("Down");
    ASSERT_TRUE(s.wait_for_row(23, "All holes in Excellon"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput Gerber File (GRB): output.grb"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput Excellon File (DRL): output.drl"));
    s.press("Enter");
    ASSERT_TRUE(wait_file("output.drl"));
    EXPECT_EQ(read_file(dir.file("output.drl")),
              ";Drill File\nM48\nMETRIC,000.000\nT01C24.000000\nT02C12.000000\n%\nG05\nG90\n"
              "T01\nX000000Y000000\nT02\nX000000Y023000\nX023000Y000000\nX000000Y-023000\n"
              "X-023000Y000000\nM30\n");
    const std::string grb = read_file(dir.file("output.grb"));
    EXPECT_NE(grb.find("%FSLAX34Y34*%\n"), std::string::npos);
    EXPECT_NE(grb.find("G01*\nX0Y900000D02*\nG01*\nX0Y750000D01*\nG02*\n"
                       "X207627Y720688I0J-750000D01*\n"),
              std::string::npos);

    // Gerber only, and Esc at the drill prompt of another variant writes nothing.
    s.press("Up", 3);
    ASSERT_TRUE(s.wait_for_row(23, "All holes in Gerber file"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput File (GRB): output.grb"));
    s.press("Kill");
    s.type("only.grb");
    s.press("Enter");
    ASSERT_TRUE(wait_file("only.grb"));
    s.press("Down");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput Gerber File (GRB): only.grb"));
    s.press("Kill");
    s.type("never.grb");
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput Excellon File (DRL): output.drl"));
    s.press("Esc");
    ASSERT_TRUE(s.settle());
    EXPECT_FALSE(file_exists(dir.file("never.grb")));
    EXPECT_TRUE(s.in_alternate_screen());
}

TEST_F(DiskExport, DecimalCommaInTheFormPointsInTheFiles) {
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    setlocale(LC_ALL, "C");
    start("de_DE.UTF-8");
    load_code();
    open_export();
    e2e::Session& s = *session;
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ext Diameter with Cog        180,000000"));
    s.type("170,5");
    s.press("Enter", 5);
    s.press("Esc");
    ASSERT_TRUE(s.wait_for("Ext Diameter with Cog : 170,500000 mm"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Change Geometry"));
    s.press("Down", 2);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Gerber only"));
    s.press("Down", 2);
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput Gerber File (GRB):"));
    s.press("Enter");
    ASSERT_TRUE(s.wait_for("Ouput Excellon File (DRL):"));
    s.press("Enter");
    ASSERT_TRUE(wait_file("output.drl"));
    EXPECT_NE(read_file(dir.file("output.drl")).find("T01C24.000000\n"), std::string::npos);
    EXPECT_NE(read_file(dir.file("output.grb")).find("X0Y852500D02*\n"), std::string::npos);
}

} // namespace
