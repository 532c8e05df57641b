// Points $TMPDIR at a fresh folder for a test, so that the files a keeper
// parks there can be seen, and restores it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

class ScopedTmpdir
{
  public:
    ScopedTmpdir()
    {
        const char* old = getenv("TMPDIR");
        m_hadTmpdir = old != nullptr;
        if (old)
            m_oldTmpdir = old;
        setenv("TMPDIR", m_dir.path().c_str(), 1);
    }
    ~ScopedTmpdir()
    {
        if (m_hadTmpdir)
            setenv("TMPDIR", m_oldTmpdir.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    const std::filesystem::path& path() const { return m_dir.path(); }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

  private:
    ScopedTempDir m_dir;
    std::string m_oldTmpdir;
    bool m_hadTmpdir = false;
};
