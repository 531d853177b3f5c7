#pragma once

#include <string>
#include <string_view>

// The program's name as it starts every line the program writes on stderr, and as --help
// and --version show it.
inline constexpr const char* ProgramName = "dendrova";

// `text` as a line of the program's own on stderr: "dendrova: <text>".
std::string ProgramLine(std::string_view text);

// Writes ProgramLine(text) and a line end to stderr.
void PrintProgramLine(std::string_view text);
