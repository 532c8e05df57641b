// Sends assertion reports to the debugger output for the life of a test and
// counts those with a given expression text.
#pragma once

#include <string>

#include "test_support.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/debug_output_capture.h"

class AssertCapture
{
  public:
    AssertCapture() : m_saved(LX_SetFailifOptions(LX_DIAG_DEBUGOUT)) {}
    ~AssertCapture() { LX_SetFailifOptions(m_saved); }

    // Reports whose expression line is exactly that text.
    int count(const char* expression)
    {
        const std::string line = std::string("Expression : ") + expression + "\r\n";
        int n = 0;
        for (const std::u16string& text : m_capture.texts())
            if ((U8(text.c_str()) + "\r\n").find(line) != std::string::npos)
                ++n;
        return n;
    }
    // Reports that carry that message.
    int countMessage(const char* message)
    {
        int n = 0;
        for (const std::u16string& text : m_capture.texts())
            if (U8(text.c_str()).find(message) != std::string::npos)
                ++n;
        return n;
    }

  private:
    unsigned m_saved;
    DebugOutputCapture m_capture;
};
