#pragma once

#include <array>
#include <string>

namespace tallux {

// One of the Code 39 fonts that print templates name: the face (its family
// name, as templates and fontconfig know it) and the file it is installed as.
struct BarcodeFontFace {
    const char* face;
    const char* file;
};

// The program's barcode fonts in the order start-up installs them.
inline constexpr std::array<BarcodeFontFace, 4> kBarcodeFontFaces = {{
    {"3 of 9 Barcode", "Code39.ttf"},
    {"C39HrP24DhTt", "C39HrP24DhTt.ttf"},
    {"C39HrP48DhTt", "C39HrP48DhTt.ttf"},
    {"C39P24DmTt", "C39P24DmTt.ttf"},
}};

// The TrueType file of a face as the program carries it (built with the
// program, held as a resource); empty when it is missing.
std::string BarcodeFontBytes(const BarcodeFontFace& face);

}  // namespace tallux
