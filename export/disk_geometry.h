// The five disk dimensions, the drawing scales and the text the Change Geometry form shows.
#pragma once

#include <string>

constexpr int geometry_count = 5;
constexpr int geometry_field = 20; // form field width: at most 19 characters of text

// Disk dimensions in millimetres: outer diameter (cog tops), diameter at the gap bottoms,
// centre hole diameter, distance between opposite mount hole centres, mount hole diameter.
extern float geometry[geometry_count];
// The form labels, in the order of `geometry`.
extern const char* const geometry_labels[geometry_count];

constexpr int scale_count = 27;
// Scale labels ("100:1" ... "1:1000") and their factors, drawing mm per disk mm, from the
// largest enlargement to the strongest reduction.
extern const char scale_name[scale_count][10];
extern const float scale_float[scale_count];

// The first scale at which the outer diameter is drawn below 150 mm (float product);
// -1 when there is none (150 m or more, or not a number).
int choose_scale(float outer_diameter);

// The form text of a dimension: "%f" in the user's locale, or exponent form when that would
// not fit the field (the form refuses such values, so only a caller's value gets there).
std::string dimension_text(float value);

enum class dimension_parse {
    taken,         // `value` holds the number read
    not_a_number,  // the text does not begin with a number: keep the old value
    not_finite,    // inf or nan: refused
    too_large,     // its "%f" text would not fit the form field: refused
};
// Reads a dimension as scanf "%f" does in the user's locale (leading blanks skipped, sign,
// decimals and exponent allowed, text after the number ignored) and vets it for the form.
dimension_parse parse_dimension(const char* text, float* value);

// Applies the confirmed form texts to `dims` and returns the message-pane text: for each
// dimension in order an "Error: ..." line when it is refused, then its echo line
// "<label> : <value> mm" with the value it now holds.
std::string apply_geometry_form(float* dims, const char* const* texts);
