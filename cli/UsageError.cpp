#include "cli/UsageError.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "support/ShownText.h"

int PrintUsageError(std::ostream& err, std::string_view program, std::string_view message) {
    err << program << ": " << ShownText(message) << "\nTry '" << program
        << " --help' for more information.\n";
    return kUsageExit;
}

namespace {

class UsageFormatter : public CLI::Formatter {
  public:
    explicit UsageFormatter(std::string usage) : usage_(std::move(usage)) {}
    std::string make_usage(const CLI::App*, std::string) const override { return "Usage: " + usage_ + "\n"; }

  private:
    std::string usage_;
};

} // namespace

void UseUsageLine(CLI::App& app, std::string usage) {
    app.formatter(std::make_shared<UsageFormatter>(std::move(usage)));
}

void ParseArguments(CLI::App& app, std::string_view program, const std::vector<std::string>& args) {
    const std::string name(program);
    std::vector<const char*> argv{name.c_str()};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    app.parse(static_cast<int>(argv.size()), argv.data());
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
