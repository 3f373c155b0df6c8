#include "format/FieldText.h"

namespace format {

std::string FieldText(const Field& f, int64_t shown) {
    char text[kLongestFieldText];
    return std::string(text, AppendFieldText(text, f, shown));
}

std::string FieldName(const Field& f, int rep) {
    if (f.Repeat <= 1)
        return std::string(f.Name);
    // Built by appending: GCC 12 warns wrongly about a short literal put in front of a temporary.
    const size_t n = f.Name.find("(n)");
    std::string name(f.Name.substr(0, n));
    name.append("(").append(std::to_string(rep)).append(")");
    if (n != std::string_view::npos)
        name.append(f.Name.substr(n + 3));
    return name;
}

} // namespace format
