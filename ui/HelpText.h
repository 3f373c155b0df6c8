#pragma once
// The text of the help window, built in one piece.
#include <string>

// Lines are joined by "\r\n"; the text ends with the last row of "=" signs, without a line break.
std::string BuildHelpText();

// The help on the viewer's own menu, views and docks, shown after the text above; lines joined by "\r\n".
std::string BuildViewerHelpText();
