// Test entry: every test program runs with HOME, XDG_DATA_HOME, XDG_DATA_DIRS
// and TMPDIR pointing into a fresh temporary folder, never the real home.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

class SandboxEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        char pattern[] = "/tmp/quelvix-test-XXXXXX";
        const char* root = mkdtemp(pattern);
        ASSERT_NE(root, nullptr);
        m_root = root;
        for (const char* sub : {"home", "data", "common", "tmp"})
            std::filesystem::create_directories(m_root / sub);
        setenv("HOME", (m_root / "home").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_root / "common").c_str(), 1);
        setenv("TMPDIR", (m_root / "tmp").c_str(), 1);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

private:
    std::filesystem::path m_root;
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new SandboxEnvironment);
    return RUN_ALL_TESTS();
}
