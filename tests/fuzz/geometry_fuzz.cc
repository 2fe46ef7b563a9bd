// Fuzzes the Change Geometry form's number reading through the command itself: whatever is
// typed into the five fields, in the C or a decimal-comma locale, the dimensions stay finite,
// each can be shown in the next form, a field without a digit keeps its value, and confirming
// the next form unchanged keeps the values to within the form's six decimals. The disk
// writers then take the dimensions: each refuses them or writes a whole file, and the
// sanitizers watch every conversion on the way.
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "export/disk_commands.h"
#include "export/disk_geometry.h"
#include "export/disk_gerber.h"
#include "export/disk_svg.h"
#include "tests/fuzz/fuzz_check.h"
#include "tui/ui.h"

namespace {

std::string input;              // the current fuzz input, for reports
std::vector<std::string> typed; // the texts the user types, one per field; empty: Esc
std::string messages;

void collect(const char* text) {
    messages += text;
}

// Answers the form as the line editor would: each field holds at most field - 1 characters.
int answer_form(const char* const* labels, char** values, int field) {
    int count = 0;
    for (; labels[count]; ++count)
        fuzz_check(std::strlen(values[count]) < static_cast<size_t>(field),
                   "every offered value fits its field", input);
    fuzz_check(count == geometry_count, "the form has five fields", input);
    if (typed.empty()) return 27;
    for (int i = 0; i < count; ++i) {
        std::string text = typed[static_cast<size_t>(i)].substr(0, static_cast<size_t>(field - 1));
        std::memcpy(values[i], text.c_str(), text.size() + 1);
    }
    return 10;
}

// Runs the command; the user types `texts` (none: presses Esc).
void change_geometry(const std::vector<std::string>& texts) {
    typed = texts;
    messages.clear();
    sub_ChangeGeometry();
}

void use_locale(bool decimal_comma) {
    static int current = -1;
    if (current == static_cast<int>(decimal_comma)) return;
    current = decimal_comma;
    if (!decimal_comma || !std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "C");
}

bool has_digit(const std::string& text) {
    return text.find_first_of("0123456789") != std::string::npos;
}

bool ends_with(const std::string& text, const char* end) {
    return text.size() >= std::strlen(end) && text.rfind(end) == text.size() - std::strlen(end);
}

// The disk of a known good code with the form's dimensions: the drawing (`kind` 0) or the
// files for CNC with hole placement `kind` - 1.
void draw_disk(int kind) {
    static const int code[] = {10, 3, 5,  18, 14, 3, 4, 8,  6, 6,  5, 6, 10, 3, 13,
                               4,  5, 12, 4,  13, 4, 4, 11, 4, 12, 5, 9, 23, 0};
    std::string out;
    if (kind == 0) {
        if (format_svg(code, geometry, out) == disk_status::ok)
            fuzz_check(ends_with(out, "</svg>\n"), "a drawing is written whole", input);
        return;
    }
    const int placement = kind - 1;
    if (format_gerber(code, geometry, placement, out) == disk_status::ok)
        fuzz_check(ends_with(out, "M02*\n"), "a Gerber file is written whole", input);
    out.clear();
    if (placement > 0 && format_drill(geometry, placement, out) == disk_status::ok)
        fuzz_check(ends_with(out, "M30\n"), "a drill file is written whole", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const ui_backend backend = {collect, collect, collect, collect,
                                       answer_form, nullptr, nullptr, nullptr};
    set_ui_backend(&backend);
    input.assign(reinterpret_cast<const char*>(data), size);
    // The first byte: bit 0 the decimal-comma locale, bit 1 Esc, bits 2 to 6 what is drawn,
    // bit 7 whether anything is.
    use_locale(data[0] & 1);
    const bool escape = data[0] & 2;

    // The rest of the input: the five field texts, one per line (missing ones typed empty).
    std::vector<std::string> texts(geometry_count);
    size_t field = 0;
    for (size_t i = 1; i < size && field < texts.size(); ++i) {
        if (data[i] == '\n')
            ++field;
        else if (data[i] != '\0')
            texts[field] += static_cast<char>(data[i]);
    }

    const float initial[geometry_count] = {180, 150, 24, 46, 12};
    std::memcpy(geometry, initial, sizeof geometry);
    change_geometry(escape ? std::vector<std::string>{} : texts);
    if (escape) {
        fuzz_check(std::memcmp(geometry, initial, sizeof geometry) == 0 && messages.empty(),
                   "Esc leaves the geometry and prints nothing", input);
        return 0;
    }
    for (int i = 0; i < geometry_count; ++i) {
        fuzz_check(std::isfinite(geometry[i]), "every dimension is finite", input);
        fuzz_check(dimension_text(geometry[i]).size() < static_cast<size_t>(geometry_field),
                   "every dimension fits the form", input);
        if (!has_digit(texts[static_cast<size_t>(i)]))
            fuzz_check(geometry[i] == initial[i], "a field without a digit keeps its value", input);
    }

    // Drawing costs many times what the form does: half the inputs draw.
    if (data[0] & 0x80) draw_disk((data[0] >> 2) % (placement_count + 1));

    // The next form offers the values; confirming it unchanged keeps them.
    float first[geometry_count];
    std::memcpy(first, geometry, sizeof first);
    std::vector<std::string> offered;
    for (float value : first)
        offered.push_back(dimension_text(value));
    change_geometry(offered);
    for (int i = 0; i < geometry_count; ++i) {
        float drift = std::fabs(geometry[i] - first[i]);
        fuzz_check(drift <= 1e-6f + std::fabs(first[i]) * 1e-7f,
                   "an unchanged form keeps the values", input);
    }
    fuzz_check(messages.find("Error") == std::string::npos, "the offered values are accepted again",
               input);
    return 0;
}
