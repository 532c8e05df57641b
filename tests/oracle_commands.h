// The command lines the oracle dump programs read from their checking
// scripts: one command a line, its words split at spaces.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace oracle_commands
{

inline std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at < line.size()) {
        const size_t end = line.find(' ', at);
        const size_t stop = end == std::string::npos ? line.size() : end;
        if (stop > at)
            out.push_back(line.substr(at, stop - at));
        at = stop + 1;
    }
    return out;
}

// Runs each whole line of standard input as a command.
template <class Run> void ForEachLine(Run&& run)
{
    std::string line;
    for (int ch; (ch = std::fgetc(stdin)) != EOF;) {
        if (ch != '\n') {
            line += char(ch);
            continue;
        }
        run(Words(line));
        line.clear();
    }
}

} // namespace oracle_commands
