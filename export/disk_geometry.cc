#include "export/disk_geometry.h"

#include <cmath>
#include <cstdio>

#include "export/disk_text.h"

float geometry[geometry_count] = {180, 150, 24, 46, 12};

const char* const geometry_labels[geometry_count] = {
    "Ext Diameter with Cog",        "Ext Diameter w/o Cog", "Diameter of center hole",
    "Distance between holes (far)", "Mount Hole Diameter",
};

const char scale_name[scale_count][10] = {
    "100:1", "50:1", "40:1",  "20:1",  "10:1",  "5:1",   "4:1",   "2.5:1", "2:1",
    "1:1",   "1:2",  "1:2.5", "1:4",   "1:5",   "1:10",  "1:15",  "1:20",  "1:25",
    "1:40",  "1:50", "1:75",  "1:100", "1:200", "1:400", "1:500", "1:800", "1:1000",
};

// Each factor is the quotient of its label's numbers, rounded once to float.
const float scale_float[scale_count] = {
    100.0f,     50.0f,      40.0f,      20.0f,      10.0f,       5.0f,        4.0f,
    2.5f,       2.0f,       1.0f,       1.0f / 2,   1.0f / 2.5f, 1.0f / 4,    1.0f / 5,
    1.0f / 10,  1.0f / 15,  1.0f / 20,  1.0f / 25,  1.0f / 40,   1.0f / 50,   1.0f / 75,
    1.0f / 100, 1.0f / 200, 1.0f / 400, 1.0f / 500, 1.0f / 800,  1.0f / 1000,
};

int choose_scale(float outer_diameter) {
    for (int i = 0; i < scale_count; ++i) {
        float drawn = scale_float[i] * outer_diameter;
        if (drawn < 150.0f) return i;
    }
    return -1;
}

namespace {

// Length of the "%f" text of a value in the current locale.
int fixed_length(float value) {
    return snprintf(nullptr, 0, "%f", value);
}

} // namespace

std::string dimension_text(float value) {
    char text[geometry_field + 1];
    if (std::isfinite(value) && fixed_length(value) < geometry_field) {
        snprintf(text, sizeof text, "%f", value);
    } else {
        // At most 13 characters ("-3.402823e+38"), and scanf reads it back.
        snprintf(text, sizeof text, "%.6e", value);
    }
    return text;
}

dimension_parse parse_dimension(const char* text, float* value) {
    float read = 0;
    if (!text || sscanf(text, "%f", &read) != 1) return dimension_parse::not_a_number;
    if (!std::isfinite(read)) return dimension_parse::not_finite;
    if (fixed_length(read) >= geometry_field) return dimension_parse::too_large;
    *value = read;
    return dimension_parse::taken;
}

std::string apply_geometry_form(float* dims, const char* const* texts) {
    std::string out;
    for (int i = 0; i < geometry_count; ++i) {
        dimension_parse result = parse_dimension(texts[i], &dims[i]);
        if (result == dimension_parse::not_finite)
            append_local(out, "Error: %s is not a finite number, value kept\n", geometry_labels[i]);
        else if (result == dimension_parse::too_large)
            append_local(out, "Error: %s is too large to show in the form, value kept\n",
                         geometry_labels[i]);
        append_local(out, "%10s : %f mm\n", geometry_labels[i], dims[i]);
    }
    return out;
}
