#include "base/ProgramLine.h"

#include <cstdio>

std::string ProgramLine(std::string_view text) {
    return std::string(ProgramName) + ": " + std::string(text);
}

void PrintProgramLine(std::string_view text) {
    const std::string line = ProgramLine(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}
