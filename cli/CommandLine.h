#pragma once
// What the command-line programs share around CLI11: the usage line of --help and of errors, and the
// parse of the arguments that follow the program's name.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Shows "Usage: " and usage (its lines after the first indented by the caller) as the usage line.
class UsageFormatter : public CLI::Formatter {
  public:
    explicit UsageFormatter(std::string usage) : usage_(std::move(usage)) {}
    std::string make_usage(const CLI::App*, std::string) const override { return "Usage: " + usage_ + "\n"; }

  private:
    std::string usage_;
};

inline void UseUsageLine(CLI::App& app, std::string usage) {
    app.formatter(std::make_shared<UsageFormatter>(std::move(usage)));
}

// Parses the arguments as the app's command line; throws what CLI11 throws (CLI::ParseError, --help and
// --version among them).
inline void ParseArguments(CLI::App& app, std::string_view program, const std::vector<std::string>& args) {
    const std::string name(program);
    std::vector<const char*> argv{name.c_str()};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    app.parse(static_cast<int>(argv.size()), argv.data());
}
