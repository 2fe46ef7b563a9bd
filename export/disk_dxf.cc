#include "export/disk_dxf.h"

#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>

#include "export/disk_solid.h"

namespace {

// dxflib's entity and table writers take a DL_WriterA, which streams into a file of its own
// and formats reals with sprintf. This one overrides every primitive: it keeps the text in
// memory, so the file can be written whole and renamed into place, and formats reals with
// to_chars, which has a decimal point whatever the locale and gives the shortest digits that
// read back as the same double. The base's file stream has no name and is never opened.
class text_writer : public DL_WriterA {
  public:
    explicit text_writer(std::string& out) : DL_WriterA("", DL_Codes::AC1015), out_(out) {}

    void dxfReal(int gc, double value) const override {
        code(gc);
        char digits[400]; // a double in fixed notation needs at most 309 + 17 + 2
        const std::to_chars_result r =
            std::to_chars(digits, digits + sizeof digits, value + 0.0, std::chars_format::fixed);
        out_.append(digits, r.ptr);
        // Reals keep a decimal point, as CAD programs write them.
        if (std::find(digits, r.ptr, '.') == r.ptr) out_ += ".0";
        out_ += '\n';
    }
    void dxfInt(int gc, int value) const override {
        code(gc);
        out_ += std::to_string(value);
        out_ += '\n';
    }
    void dxfHex(int gc, int value) const override {
        code(gc);
        char digits[16];
        const std::to_chars_result r =
            std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(value), 16);
        for (const char* c = digits; c != r.ptr; ++c)
            out_ += *c >= 'a' ? static_cast<char>(*c - 'a' + 'A') : *c;
        out_ += '\n';
    }
    void dxfString(int gc, const char* value) const override {
        code(gc);
        out_ += value;
        out_ += '\n';
    }
    void dxfString(int gc, const std::string& value) const override {
        dxfString(gc, value.c_str());
    }

  private:
    // Group codes right-aligned in three places, as AutoCAD writes them.
    void code(int gc) const {
        if (gc < 100) out_ += gc < 10 ? "  " : " ";
        out_ += std::to_string(gc);
        out_ += '\n';
    }
    std::string& out_;
};

const char* const outline_layer = "OUTLINE";
const char* const holes_layer = "HOLES";

// Entities take colour, line weight and line type from their layer.
DL_Attributes on_layer(const char* layer) {
    return DL_Attributes(layer, 256, -1, "BYLAYER", 1.0);
}

// The tables dxflib's own example writes, with the two layers of the disk beside layer 0.
void write_tables(DL_Dxf& dxf, text_writer& dw) {
    dw.sectionTables();
    dxf.writeVPort(dw);
    dw.tableLinetypes(3);
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "BYBLOCK", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "BYLAYER", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Continuous", 0, 0, 0.0));
    dw.tableEnd();
    dw.tableLayers(3);
    dxf.writeLayer(dw, DL_LayerData("0", 0), DL_Attributes("", 7, -3, "CONTINUOUS", 1.0));
    dxf.writeLayer(dw, DL_LayerData(outline_layer, 0), DL_Attributes("", 7, -3, "CONTINUOUS", 1.0));
    dxf.writeLayer(dw, DL_LayerData(holes_layer, 0), DL_Attributes("", 1, -3, "CONTINUOUS", 1.0));
    dw.tableEnd();
    dw.tableStyle(1);
    dxf.writeStyle(dw, DL_StyleData("standard", 0, 2.5, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(1);
    dxf.writeAppid(dw, "ACAD");
    dw.tableEnd();
    dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(dw);
    dw.tableEnd();
    dw.sectionEnd();

    dw.sectionBlocks();
    for (const char* name : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
        dxf.writeBlock(dw, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(dw, name);
    }
    dw.sectionEnd();
}

// Run j's arc runs clockwise from `start` to `end` (degrees from straight up); a DXF arc runs
// counter-clockwise from +X, so it goes from the end's angle to the start's.
double dxf_angle(double clockwise_from_up) {
    const double angle = 90.0 - clockwise_from_up;
    return angle < 0 ? angle + 360.0 : angle;
}

void write_outline(DL_Dxf& dxf, text_writer& dw, const int* runs, const float* dims) {
    const double gap = 0.5 * dims[1], cog = 0.5 * dims[0];
    const std::vector<disk_arc> arcs = disk_arcs(runs);
    for (size_t j = 0; j < arcs.size(); ++j) {
        // The radial step into run j from the run before it (for run 0, from the last, a cog).
        const double radius = arcs[j].cog ? cog : gap, before = arcs[j].cog ? gap : cog;
        const double s = std::sin(static_cast<double>(arcs[j].start_angle));
        const double c = std::cos(static_cast<double>(arcs[j].start_angle));
        dxf.writeLine(dw, DL_LineData(before * s, before * c, 0, radius * s, radius * c, 0),
                      on_layer(outline_layer));
        const run_degrees d = degrees_of(arcs, j);
        dxf.writeArc(dw, DL_ArcData(0, 0, 0, radius, dxf_angle(d.end), dxf_angle(d.start)),
                     on_layer(outline_layer));
    }
}

void write_holes(DL_Dxf& dxf, text_writer& dw, const float* dims) {
    dxf.writeCircle(dw, DL_CircleData(0, 0, 0, 0.5 * dims[2]), on_layer(holes_layer));
    const double distance = 0.5 * dims[3];
    for (const hole_step& step : mount_steps)
        dxf.writeCircle(dw, DL_CircleData(step.dx * distance, step.dy * distance, 0, 0.5 * dims[4]),
                        on_layer(holes_layer));
}

// The header names the version, the next free handle, millimetres (metric drawing) and the
// extent of the drawing, which viewers zoom to.
void write_header(text_writer& dw, unsigned long next_handle, double radius) {
    dw.sectionHeader();
    dw.dxfString(9, "$ACADVER");
    dw.dxfString(1, "AC1015");
    dw.dxfString(9, "$HANDSEED");
    dw.dxfHex(5, static_cast<int>(next_handle));
    dw.dxfString(9, "$INSUNITS");
    dw.dxfInt(70, 4);
    dw.dxfString(9, "$MEASUREMENT");
    dw.dxfInt(70, 1);
    dw.dxfString(9, "$EXTMIN");
    dw.coord(10, -radius, -radius, 0);
    dw.dxfString(9, "$EXTMAX");
    dw.coord(10, radius, radius, 0);
    dw.sectionEnd();
}

} // namespace

disk_status format_dxf(const int* runs, const float* dims, std::string& out) {
    const disk_status fault = check_solid_disk(runs, dims);
    if (fault != disk_status::ok) return fault;

    // The body first: the header must name the first handle the body left unused.
    std::string body;
    text_writer dw(body);
    DL_Dxf dxf;
    write_tables(dxf, dw);
    dw.sectionEntities();
    write_outline(dxf, dw, runs, dims);
    write_holes(dxf, dw, dims);
    dw.sectionEnd();
    dxf.writeObjects(dw);
    dxf.writeObjectsEnd(dw);
    dw.dxfEOF();

    std::string text;
    text_writer header(text);
    write_header(header, dw.getNextHandle(), 0.5 * dims[0]);
    text += body;
    out.swap(text);
    return disk_status::ok;
}

disk_result export_dxf(const int* runs, const float* dims, const char* path) {
    return write_disk_file(
        path, 1, [&](std::string& text, progress&) { return format_dxf(runs, dims, text); });
}
