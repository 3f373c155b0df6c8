#pragma once
// What the palette windows show, as plain text and numbers: swatch tooltips, colour list rows and the
// colour list's caption.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/CSmartArray.h"

struct ColourRow {
    int64_t Index = 0; // 1-based position in the palette list
    uint8_t R = 0, G = 0, B = 0;
};

// "Color index:" + index + " R: " + r + "  G: " + g + "  B: " + b.
std::string SwatchToolTip(const ColourRow& row);

// One row per item of a list of C_udtCol8 or C_udtCol16 records, in list order; none for a null list.
// The fourth byte of a 16-bit colour is not shown anywhere.
std::vector<ColourRow> ColourRows(const CSmartArray* list);

// The part of a level path behind its last "\" (or "/"); the whole path when it has none.
std::string LevelFileNamePart(std::string_view path);

// "8 bit palette" for an empty name, else name + ";  8 bit palette" (16 likewise).
std::string ColourListCaption(std::string_view fileName, int bits);

// "DM Palette Examiner: " and two blanks in front of the level's path.
std::string PaletteExaminerCaption(std::string_view fileName);
