// Helpers of the date tests: a fixture that fixes the time zone (TZ) and
// catches assertion reports and trace records, the generated data tables,
// and short ways to build dates.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "gnr_system/time/LxDateTime.h"
#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/debug_output_capture.h"

// Sets TZ for its lifetime (tzset on both ends) and lets the country be
// determined afresh from the zone.
class ScopedTimeZone
{
  public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = getenv("TZ");
        m_had = old != nullptr;
        if (old)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
        CLxDateTime::SetCountry(CLxDateTime::Country_Unknown);
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        CLxDateTime::SetCountry(CLxDateTime::Country_Unknown);
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    bool m_had = false;
    std::string m_old;
};

// Every date test runs in a fixed zone (UTC unless the test says otherwise)
// and with assertion reports and trace records going to the debugger output
// alone, where they are caught.
class DateTest : public ::testing::Test
{
  protected:
    explicit DateTest(const char* zone = "UTC") : m_zone(zone) {}

    void SetUp() override
    {
        m_failif = LX_SetFailifOptions(LX_DIAG_DEBUGOUT);
        m_trace = LX_SetTraceOptions(LX_DIAG_DEBUGOUT);
        m_capture.clear();
    }
    void TearDown() override
    {
        LX_SetFailifOptions(unsigned(m_failif));
        LX_SetTraceOptions(unsigned(m_trace));
    }

    // Assertion messages caught since the last call (and forgets them).
    std::vector<std::string> reports()
    {
        std::vector<std::string> found;
        for (const std::u16string& t : m_capture.texts()) {
            const std::string text = U8(t.c_str());
            if (text.rfind("*** Debug Assertion Failed!", 0) != 0)
                continue;
            // The message is the line after "Expression : ...".
            const size_t expression = text.find("Expression : ");
            const size_t start = text.find("\r\n", expression) + 2;
            found.push_back(text.substr(start, text.find("\r\n", start) - start));
        }
        m_capture.clear();
        return found;
    }
    // Whether some caught text (report or trace record) contains part.
    bool caught(const std::string& part)
    {
        for (const std::u16string& t : m_capture.texts())
            if (U8(t.c_str()).find(part) != std::string::npos)
                return true;
        return false;
    }
    void forget() { m_capture.clear(); }

  private:
    ScopedTimeZone m_zone;
    DebugOutputCapture m_capture;
    int m_failif = 0;
    int m_trace = 0;
};

// A fixture of its own zone: class PragueTest : public ZonedDateTest<kPrague>.
template <const char* Zone> class ZonedDateTest : public DateTest
{
  protected:
    ZonedDateTest() : DateTest(Zone) {}
};

// Milliseconds of a UTC reading (through timegm, valid for any year).
inline int64_t UtcMs(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                     int ms = 0)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return int64_t(timegm(&t)) * 1000 + ms;
}

inline CLxDateTime AtUtc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int ms = 0)
{
    return CLxDateTime::FromValue(UtcMs(year, month, day, hour, minute, second, ms));
}

inline std::string Text(const CLxStringW& s)
{
    return U8(s.GetString());
}

// The lines of a generated table beside this header (data/<name>), without
// comments.
inline std::vector<std::string> DataLines(const char* name)
{
    std::ifstream in(std::string(LXTEST_SOURCE_DIR "/gnr_system/time/data/") + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    return lines;
}
