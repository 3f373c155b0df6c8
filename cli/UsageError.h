#pragma once
// The usage errors of strata-report, its summary and strata-diff: one plain sentence saying what was
// wrong with the arguments, then a pointer to --help, on standard error; exit status 2.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kUsageExit = 2;

// Writes "program: message" (escaped, as it may quote an argument) and the hint; returns kUsageExit.
int PrintUsageError(std::ostream& err, std::string_view program, std::string_view message);

// text in double quotes, for an argument quoted in a message.
std::string Quoted(std::string_view text);

// The option that a CLI11 message names before its first colon ("--format: 1 required ... missing").
std::string OptionNamedIn(std::string_view message);

// The first of the arguments left over by a parse that looks like an option: "-x", "--name" ("-" alone
// is standard input); empty when none does.
std::string FirstOptionLike(const std::vector<std::string>& leftOver);
