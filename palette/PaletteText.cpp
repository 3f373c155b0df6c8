#include "palette/PaletteText.h"

#include "palette/ColourRecords.h"

std::string SwatchToolTip(const ColourRow& row) {
    return "Color index:" + std::to_string(row.Index) + " R: " + std::to_string(row.R) +
           "  G: " + std::to_string(row.G) + "  B: " + std::to_string(row.B);
}

std::vector<ColourRow> ColourRows(const CSmartArray* list) {
    std::vector<ColourRow> rows;
    if (!list)
        return rows;
    const int64_t count = list->NumberOfItemInArray();
    rows.reserve(static_cast<size_t>(count));
    for (int64_t i = 1; i <= count; ++i) {
        ColourRow row;
        row.Index = i;
        if (auto c8 = list->ObjectAt<C_udtCol8>(i)) {
            row.R = c8->GetR();
            row.G = c8->GetG();
            row.B = c8->GetB();
        } else if (auto c16 = list->ObjectAt<C_udtCol16>(i)) {
            row.R = c16->GetR();
            row.G = c16->GetG();
            row.B = c16->GetB();
        }
        rows.push_back(row);
    }
    return rows;
}

std::string LevelFileNamePart(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ColourListCaption(std::string_view fileName, int bits) {
    const std::string palette = std::to_string(bits) + " bit palette";
    return fileName.empty() ? palette : std::string(fileName) + ";  " + palette;
}

std::string PaletteExaminerCaption(std::string_view fileName) {
    return "DM Palette Examiner: " + std::string("  ") + std::string(fileName);
}
