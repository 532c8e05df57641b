// Helpers of the variant tests: assertion reports and trace records caught
// from the debugger output, and short ways to build variants.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gnr_system/variant/LxVariant.h"
#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/debug_output_capture.h"

// One assertion report: its condition text and message ("" when none).
struct SReport {
    std::string expression;
    std::string message;
    bool operator==(const SReport& o) const
    {
        return expression == o.expression && message == o.message;
    }
};

inline std::ostream& operator<<(std::ostream& out, const SReport& r)
{
    return out << "{" << r.expression << " | " << r.message << "}";
}

// Sends assertion reports and trace records to the debugger output alone for
// the life of the test and catches them; the option words are restored.
class VariantTest : public ::testing::Test
{
  protected:
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
        EXPECT_TRUE(g_UndefVariant.IsNull());
    }

    // The assertion reports caught since the last call (and forgets them).
    std::vector<SReport> reports()
    {
        std::vector<SReport> found;
        const std::string head = "Expression : ";
        for (const std::u16string& t : m_capture.texts()) {
            std::string text = U8(t.c_str());
            size_t at = text.find(head);
            if (text.rfind("*** Debug Assertion Failed!", 0) != 0 || at == std::string::npos)
                continue;
            at += head.size();
            size_t end = text.find("\r\n", at);
            SReport r{text.substr(at, end - at), ""};
            size_t last = text.find("\r\nLast Error", end);
            if (last != end)
                r.message = text.substr(end + 2, last - end - 2);
            found.push_back(r);
        }
        m_capture.clear();
        return found;
    }
    // The one report caught since the last call.
    SReport report()
    {
        std::vector<SReport> all = reports();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? SReport{"<none>", ""} : all.front();
    }
    void expectNoReport() { EXPECT_EQ(reports(), std::vector<SReport>()); }

    // Every text caught since the last call (and forgets them).
    std::vector<std::string> outputs()
    {
        std::vector<std::string> all;
        for (const std::u16string& t : m_capture.texts())
            all.push_back(U8(t.c_str()));
        m_capture.clear();
        return all;
    }

  private:
    DebugOutputCapture m_capture;
    int m_failif = 0;
    int m_trace = 0;
};

// A variant's text as UTF-8.
inline std::string TextOf(const CLxVariant& v)
{
    return U8(v.GetCLxStringW().GetString());
}

inline std::string NameOf(const CLxVariant& v)
{
    return U8(v.GetName().GetString());
}

inline std::string RunTypeOf(const CLxVariant& v)
{
    return v.GetRunType().GetName().GetString();
}

// A variant that may change its run type.
inline CLxVariant Changeable(const CLxVariant& v)
{
    CLxVariant copy(v);
    copy.EnableTypeChange(true);
    return copy;
}

// A plain list named name holding copies of the members.
inline CLxVariant ListOf(const char16_t* name, std::initializer_list<CLxVariant> members)
{
    CLxVariant list(CLxListVariant(), name);
    for (const CLxVariant& m : members)
        list.Append(m);
    return list;
}
