// Shared pieces of the file-layer tests.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "test_support.h"
#include "w32_system/LxFileAPI.h"

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline bool Exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

// A handle closed at the end of the scope.
class ScopedFile
{
  public:
    ScopedFile() = default;
    ~ScopedFile()
    {
        if (m_handle != LX_INVALID_HFILE)
            LX_CloseFile(m_handle);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    int open(const std::u16string& path, uint32_t access)
    {
        return LX_OpenFile(path.c_str(), access, 3, LX_INVALID_HFILE, &m_handle);
    }
    LX_HFILE get() const { return m_handle; }

  private:
    LX_HFILE m_handle = LX_INVALID_HFILE;
};

// Sets (or with null clears) an environment variable for the scope; TZ
// changes also reach the C runtime's time conversions.
class ScopedEnv
{
  public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = getenv(name))
            m_old = old;
        set(value);
    }
    ~ScopedEnv() { set(m_old ? m_old->c_str() : nullptr); }

  private:
    void set(const char* value)
    {
        if (value)
            setenv(m_name.c_str(), value, 1);
        else
            unsetenv(m_name.c_str());
        tzset();
    }
    std::string m_name;
    std::optional<std::string> m_old;
};

// Changes the current folder for the scope.
class ScopedCwd
{
  public:
    explicit ScopedCwd(const std::string& folder)
    {
        char* old = getcwd(nullptr, 0);
        m_old = old ? old : "/";
        free(old);
        EXPECT_EQ(chdir(folder.c_str()), 0);
    }
    ~ScopedCwd() { EXPECT_EQ(chdir(m_old.c_str()), 0); }

  private:
    std::string m_old;
};

// A test folder with shortcuts to the UTF-8 and UTF-16 paths of its entries.
class FileApiTest : public ::testing::Test
{
  protected:
    std::string p8(const std::string& name) const { return (m_dir.path() / name).string(); }
    std::u16string p16(const std::string& name) const { return m_dir.u16(name); }
    std::string dir8() const { return m_dir.path().string(); }

    ScopedTempDir m_dir;
};
