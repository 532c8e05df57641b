// What the oracle dump programs read from their checking scripts: command
// lines (one command a line, its words split at spaces) and the binary arrays
// that follow them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace oracle_commands
{

// The script sees the message and a nonzero exit instead of an answer.
[[noreturn]] inline void Die(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::exit(2);
}

template <class T> std::vector<T> ReadArray(size_t count)
{
    std::vector<T> v(count);
    if (count && std::fread(v.data(), sizeof(T), count, stdin) != count)
        Die("short input");
    return v;
}

inline std::vector<uint8_t> ReadBytes(size_t count)
{
    return ReadArray<uint8_t>(count);
}

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
