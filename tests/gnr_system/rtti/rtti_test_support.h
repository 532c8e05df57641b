// Helpers of the class registry's tests.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "test_support.h"

// The UTF-16 texts of a catalog section as the registry sees them: each run
// of non-zero little-endian units at even offsets, with its byte offset.
inline std::vector<std::pair<size_t, std::u16string>> SectionTexts(const unsigned char* bytes,
                                                                   size_t size)
{
    std::vector<std::pair<size_t, std::u16string>> texts;
    std::u16string text;
    size_t start = 0;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = char16_t(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) {
            if (!text.empty())
                texts.emplace_back(start, text);
            text.clear();
            continue;
        }
        if (text.empty())
            start = i;
        text += unit;
    }
    if (!text.empty())
        texts.emplace_back(start, text);
    return texts;
}

// Runs a shell command; its standard output, and its exit status in status
// (-1 when it did not end normally).
inline std::string CommandOutput(const std::string& command, int& status)
{
    std::string output;
    status = -1;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int result = pclose(pipe);
    if (WIFEXITED(result))
        status = WEXITSTATUS(result);
    return output;
}

inline std::string Utf8Of(const CLxStringW& text)
{
    return U8(text.GetString());
}

// The names of the children of a list variant, in order.
inline std::vector<std::string> ChildNames(const CLxVariant& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.push_back(Utf8Of(list[i].GetName()));
    return names;
}
