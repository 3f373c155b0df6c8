#pragma once
// Text that names a file, as it may be shown on a terminal or in a window. A file name may hold any
// byte but '/' and NUL, so one holding an escape sequence could move the cursor, recolour or retitle
// the terminal that prints it, and one holding a line break could fake a second line of a message.
#include <string>
#include <string_view>

// text with every byte that could drive a terminal or mislead a reader written as a C escape:
// \t \n \r for those three, \xNN for the other control bytes (C0, DEL), for the C1 controls and the
// invisible direction and line-separator marks of Unicode (each of their UTF-8 bytes), and for every
// byte that is not part of valid UTF-8. Printable ASCII and other valid UTF-8 stay as they are, the
// backslash included (Windows paths are made of them), so the result is for reading, not for pasting
// back as a name.
std::string ShownText(std::string_view text);
