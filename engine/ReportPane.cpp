#include "engine/ReportPane.h"

void StringPane::ReplaceAll(std::string_view text) {
    // The new text may be a view into the old one: copy before replacing.
    std::string replacement(text);
    text_.swap(replacement);
}
