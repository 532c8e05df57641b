// Collects what reaches the debugger output while it lives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "w32_system/debugging/LxDebugOutput.h"

class DebugOutputCapture
{
public:
    DebugOutputCapture() { m_id = LX_AddDebugOutputSink(&DebugOutputCapture::sink, this); }
    ~DebugOutputCapture() { LX_RemoveDebugOutputSink(m_id); }

    std::vector<std::u16string> texts()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }
    std::u16string last()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts.empty() ? std::u16string() : m_texts.back();
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.clear();
    }

private:
    static void sink(const char16_t* text, void* context)
    {
        auto* self = static_cast<DebugOutputCapture*>(context);
        std::lock_guard<std::mutex> lock(self->m_mutex);
        self->m_texts.emplace_back(text);
    }

    int m_id = 0;
    std::mutex m_mutex;
    std::vector<std::u16string> m_texts;
};
