// Texts handed to Java, built in UTF-16 without the C library's formatting:
// the JVM sets the process locale from the environment, and the bridge's
// numbers must read the same whatever it says (never a decimal comma).
#pragma once

#include <cstddef>
#include <string>

namespace lxjava
{

void AppendAscii(std::u16string& text, const char* ascii);
// As printf's "%.2f" in the C locale.
void AppendFixed2(std::u16string& text, double value);
// The units of name up to its first U+0000, at most length of them.
void AppendName(std::u16string& text, const char16_t* name, size_t length);
// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const std::u16string& text);

} // namespace lxjava
