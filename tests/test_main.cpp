// Test entry: every test program runs with HOME, XDG_DATA_HOME, XDG_DATA_DIRS
// and TMPDIR pointing into a fresh temporary folder, never the real home.
// Skipped cases are listed with their reason even in brief output, and a run
// that passes with skips exits 77, which CTest shows as skipped.
#include <gtest/gtest.h>

#include <cstdio>
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

class SkipReport : public ::testing::EmptyTestEventListener
{
  public:
    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (result.skipped())
            m_reason = result.message();
    }
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        if (test.result()->Skipped()) {
            ++m_skipped;
            printf("SKIPPED %s.%s: %s\n", test.test_suite_name(), test.name(), m_reason.c_str());
        }
        m_reason.clear();
    }
    int skipped() const { return m_skipped; }

  private:
    std::string m_reason;
    int m_skipped = 0;
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new SandboxEnvironment);
    auto* skips = new SkipReport;
    ::testing::UnitTest::GetInstance()->listeners().Append(skips);
    const int status = RUN_ALL_TESTS();
    return status == 0 && skips->skipped() > 0 ? 77 : status;
}
