// The tracing window: routing of debugger-output texts into per-window line
// lists, and the process-wide framework.
#include "w32_system/debugging/LxTraceWindow.h"

#include <unistd.h>

#include <algorithm>
#include <new>

#include "w32_system/LxFormat.h"
#include "w32_system/LxWideCrt.h"
#include "w32_system/debugging/LxDebugOutput.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxTraceWindowInternal.h"
#include "w32_system/debugging/LxTraceWindowLock.h"

namespace
{

constexpr size_t kTextUnits = 1024;
constexpr char16_t kTag[] = u"|wndid:";
constexpr size_t kTagLength = 7;

std::mutex g_frameworkLock;
CDebugFramework* g_framework = nullptr;

// Destroys the framework when the library unloads.
struct FrameworkOwner {
    ~FrameworkOwner() { LX_DestroyDebugFramework(); }
} g_frameworkOwner;

std::u16string windowTitle(int windowId)
{
    char16_t title[48];
    LX_snwprintf(title, 48, u"Tracing Window ID: %i", windowId);
    return title;
}

// The text is cut at kTextUnits, never between the halves of a pair.
std::u16string boundedText(const char16_t* text)
{
    size_t length = lx_wcsnlen(text, kTextUnits);
    if (length == kTextUnits && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    return std::u16string(text, length);
}

// What a record shows: from the first blank after the tag (the tag and its
// number are not shown); without a blank, whatever follows the number.
std::u16string shownText(const char16_t* afterTag)
{
    const char16_t* shown = lx_wcschr(afterTag, u' ');
    if (!shown) {
        shown = afterTag;
        if (*shown == u'-' || *shown == u'+')
            ++shown;
        while (*shown >= u'0' && *shown <= u'9')
            ++shown;
    }
    std::u16string text(shown);
    std::replace_if(
        text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    return text;
}

std::vector<std::u16string> splitColumns(const std::u16string& line)
{
    std::vector<std::u16string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find(u'\t', start)) != std::u16string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

void showMessage(const char* caption, const char* text)
{
    // No message boxes here: the message goes to stderr.
    std::string message = std::string(caption) + ": " + text + "\n";
    ssize_t ignored = write(STDERR_FILENO, message.data(), message.size());
    (void)ignored;
}

} // namespace

CDebugFramework::CDebugFramework(void*)
{
    CreateDebugWindow(0);
    startListening();
}

CDebugFramework::~CDebugFramework()
{
    // Once the sink is gone no text is being routed, so nothing below is in
    // use any more.
    if (m_sinkId)
        LX_RemoveDebugOutputSink(m_sinkId);
    if (m_listenerLockFd >= 0)
        close(m_listenerLockFd);
}

void CDebugFramework::startListening()
{
    switch (LX_TakeTraceListenerLock(&m_listenerLockFd)) {
    case LX_LISTENER_LOCK_BUSY:
        showMessage("strata9 Tracing", "There is tracing logger already running...");
        return;
    case LX_LISTENER_LOCK_FAILED:
        LX_DIAG_ASSERT_TEXT(u"LX_TakeTraceListenerLock(&fd) == LX_LISTENER_LOCK_FAILED",
                            u"Unable to create the listener lock");
        return;
    case LX_LISTENER_LOCK_TAKEN:
        break;
    }
    // Subscribing is the last step: from here on texts arrive on the
    // writers' threads.
    m_sinkId = LX_AddDebugOutputSink(&CDebugFramework::onDebugOutput, this);
    if (!m_sinkId) {
        LX_DIAG_ASSERT_TEXT(u"LX_AddDebugOutputSink(...) == 0", u"ListenerThread service failure");
        close(m_listenerLockFd);
        m_listenerLockFd = -1;
    }
}

void CDebugFramework::onDebugOutput(const char16_t* text, void* self)
{
    static_cast<CDebugFramework*>(self)->AddItem(text);
}

CDebugFramework::SWindow CDebugFramework::makeWindow(int windowId)
{
    SWindow window;
    window.wsTitle = windowTitle(windowId);
    return window;
}

CDebugFramework::SWindow& CDebugFramework::windowFor(int windowId)
{
    auto found = m_windows.find(windowId);
    if (found != m_windows.end())
        return found->second;
    if (m_initial && !m_windows.empty()) {
        auto node = m_windows.extract(m_windows.begin());
        node.key() = windowId;
        node.mapped().wsTitle = windowTitle(windowId);
        return m_windows.insert(std::move(node)).position->second;
    }
    return m_windows.emplace(windowId, makeWindow(windowId)).first->second;
}

void CDebugFramework::CreateDebugWindow(int windowId)
{
    try {
        std::lock_guard<std::mutex> lock(m_lock);
        m_windows.emplace(windowId, makeWindow(windowId));
    } catch (const std::bad_alloc&) {
        // the window is simply not made
    }
}

void CDebugFramework::AddItem(const char16_t* text)
{
    if (!text || lx_wcsncmp(text, kTag, kTagLength) != 0)
        return;
    try {
        const std::u16string record = boundedText(text);
        const char16_t* afterTag = record.c_str() + kTagLength;
        const int windowId = lx_wtoi(afterTag);
        const std::u16string shown = shownText(afterTag);

        std::lock_guard<std::mutex> lock(m_lock);
        SWindow& window = windowFor(windowId);
        m_initial = false;
        char16_t number[16];
        LX_snwprintf(number, 16, u"%i", window.iLinesShown);
        std::vector<std::u16string> fields = splitColumns(number + (u'\t' + shown));
        window.iColumns = std::max(window.iColumns, int(fields.size()));
        window.lines.push_back(std::move(fields));
        ++window.iLinesShown;
    } catch (const std::bad_alloc&) {
        // A text that cannot be kept is lost.
    }
}

bool CDebugFramework::IsListening() const
{
    return m_sinkId != 0;
}

// The queries copy under the lock; when memory runs out they answer as for
// a window that does not exist.
std::vector<int> CDebugFramework::GetWindowIds() const
{
    std::vector<int> ids;
    try {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& entry : m_windows)
            ids.push_back(entry.first);
    } catch (const std::bad_alloc&) {
        ids.clear();
    }
    return ids;
}

std::u16string CDebugFramework::GetWindowTitle(int windowId) const
{
    std::u16string title;
    try {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = m_windows.find(windowId);
        if (found != m_windows.end())
            title = found->second.wsTitle;
    } catch (const std::bad_alloc&) {
        title.clear();
    }
    return title;
}

int CDebugFramework::GetColumnCount(int windowId) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_windows.find(windowId);
    return found == m_windows.end() ? 0 : found->second.iColumns;
}

std::vector<std::vector<std::u16string>> CDebugFramework::GetLines(int windowId) const
{
    std::vector<std::vector<std::u16string>> lines;
    try {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = m_windows.find(windowId);
        if (found != m_windows.end())
            lines = found->second.lines;
    } catch (const std::bad_alloc&) {
        lines.clear();
    }
    return lines;
}

CDebugFramework* DiagOutputWnd(void* owner, bool recreate)
{
    std::lock_guard<std::mutex> lock(g_frameworkLock);
    if (recreate) {
        delete g_framework;
        g_framework = nullptr;
    }
    if (!g_framework) {
        g_framework = new (std::nothrow) CDebugFramework(owner);
    }
    return g_framework;
}

void LX_DestroyDebugFramework()
{
    std::lock_guard<std::mutex> lock(g_frameworkLock);
    delete g_framework;
    g_framework = nullptr;
}
