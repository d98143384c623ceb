#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mirado {

// What the program was started with, read as file names are: the command
// line is input like a drop, and a name must reach the batch unchanged.

// The arguments after the program's name. On Linux argv[1] to
// argv[argc - 1], whose bytes are decoded as dropped file names are (a byte
// that is not UTF-8 is kept as U+DC80-U+DCFF), never through the locale. On
// Windows the wide command line (CommandLineToArgvW), whatever argv holds:
// the ANSI one has lost every character outside the code page.
std::vector<std::u16string> StartArguments(int argc, char** argv);

// argument, naming a file, as a full path: a relative one is resolved
// against the working folder; on Windows, 8.3 short names are expanded to
// the names they stand for (the copy is named from them). An argument that
// cannot be resolved is given back as it is, for the batch to refuse.
std::u16string StartPath(std::u16string_view argument);

// Shows text to whoever started the program, before or instead of the
// window: on standard output, or standard error for an error; on Windows,
// which gives the program no console, in a message box.
void TellStarter(std::u16string_view text, bool error);

}  // namespace mirado
