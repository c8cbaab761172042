// The desktop program's command line: the program's names, and the options answered on the
// terminal. Everything else on the line is the file to open (see CommandLineFile).
#pragma once
#include <optional>

// The organisation and program names that the settings folder and --version use.
void SetProgramIdentity();

// --help (-h), --help-all and --version (-v) are answered on standard output before any window or
// display is needed. Returns the exit status when the line asked for one of them, nothing
// otherwise.
std::optional<int> AnswerInformationOptions(int argc, char** argv);
