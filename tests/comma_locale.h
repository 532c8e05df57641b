// A process locale whose decimal point is a comma, for the tests that
// numbers are written and read with a point whatever the locale.
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

// LC_NUMERIC switched to a locale whose decimal point is a comma for the
// scope: the build tree's de_DE.UTF-8 (the folder CTest names in
// LXTEST_LOCALE_DIR), else the machine's own; active() is false when there
// is none. LOCPATH points there only while the locale is set: glibc keeps
// the search path of every later newlocale made under it, which the leak
// checker reports.
class ScopedCommaLocale
{
  public:
    ScopedCommaLocale()
    {
        const char* previous = setlocale(LC_NUMERIC, nullptr);
        m_previous = previous ? previous : "C";
        const char* folder = getenv("LXTEST_LOCALE_DIR");
        const char* path = getenv("LOCPATH");
        const std::string savedPath = path ? path : "";
        if (folder)
            setenv("LOCPATH", folder, 1);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
            if (setlocale(LC_NUMERIC, name) && localeconv()->decimal_point[0] == ',') {
                m_active = true;
                break;
            }
        if (path)
            setenv("LOCPATH", savedPath.c_str(), 1);
        else
            unsetenv("LOCPATH");
        if (!m_active)
            setlocale(LC_NUMERIC, m_previous.c_str());
    }
    ~ScopedCommaLocale() { setlocale(LC_NUMERIC, m_previous.c_str()); }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;
    bool active() const { return m_active; }

  private:
    std::string m_previous;
    bool m_active = false;
};
