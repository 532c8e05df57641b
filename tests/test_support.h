// Small helpers shared by the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

// 1 in builds with the address sanitizer: gcc says so with a macro, clang
// through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define LXTEST_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LXTEST_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef LXTEST_ADDRESS_SANITIZER
#define LXTEST_ADDRESS_SANITIZER 0
#endif

// Skips a test whose outside tool (program, package, locale) is missing,
// streamed like GTEST_SKIP() << why. Where every such tool is installed
// (scripts/test sets QUELVIX_TEST_TOOLS_REQUIRED=1) the skip is a failure.
#define LXTEST_SKIP_WITHOUT_TOOL()                                                                 \
    return GTEST_MESSAGE_AT_(__FILE__, __LINE__, "",                                               \
                             lxtest::ToolsRequired() ? ::testing::TestPartResult::kFatalFailure    \
                                                     : ::testing::TestPartResult::kSkip)

namespace lxtest
{

inline bool ToolsRequired()
{
    const char* required = getenv("QUELVIX_TEST_TOOLS_REQUIRED");
    return required && std::string(required) == "1";
}

} // namespace lxtest

// A fresh folder below $TMPDIR, removed with everything in it at the end of
// the test.
class ScopedTempDir
{
public:
    ScopedTempDir()
    {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp ? tmp : "/tmp") + "/t-XXXXXX";
        char* made = mkdtemp(pattern.data());
        if (made)
            m_path = made;
    }
    ~ScopedTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }
    std::u16string u16(const std::string& name = {}) const
    {
        std::string p = name.empty() ? m_path.string() : (m_path / name).string();
        return LX_Utf8ToUtf16(p.c_str());
    }

private:
    std::filesystem::path m_path;
};

inline std::u16string U16(const char* utf8)
{
    return LX_Utf8ToUtf16(utf8);
}

inline std::string U8(const char16_t* text)
{
    return LX_Utf16ToUtf8(text);
}
