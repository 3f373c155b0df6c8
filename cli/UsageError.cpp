#include "cli/UsageError.h"

#include <ostream>

#include "support/ShownText.h"

int PrintUsageError(std::ostream& err, std::string_view program, std::string_view message) {
    err << program << ": " << ShownText(message) << "\nTry '" << program
        << " --help' for more information.\n";
    return kUsageExit;
}

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '"').append(text).append(1, '"');
    return quoted;
}

std::string OptionNamedIn(std::string_view message) {
    const size_t colon = message.find(':');
    return colon == std::string_view::npos ? "" : std::string(message.substr(0, colon));
}

std::string FirstOptionLike(const std::vector<std::string>& leftOver) {
    for (const std::string& arg : leftOver)
        if (arg.size() > 1 && arg[0] == '-')
            return arg;
    return "";
}
