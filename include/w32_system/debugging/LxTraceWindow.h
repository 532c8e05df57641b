// The tracing window: an in-process viewer of trace records. There is no
// window system here, so it keeps what a viewer would show: it listens to
// the debugger output of this process (LxDiag.h, outlet 2) and sorts the
// texts that begin with "|wndid:" and a number into one line list per window
// id. Texts without that tag are dropped. Output of other processes is not
// collected.
//
// Each window has the title "Tracing Window ID: <id>" and at least 8
// columns ("#" and 1 to 7). A line is "<line number>\t<text>" split at its
// tabs into columns, the line numbers counting from 0 per window; the text
// is what follows the first blank after "|wndid:" (the blank included), with
// carriage returns and line feeds turned into blanks, at most 1024 units.
// A line with more fields than the window has columns adds columns.
//
// The first window, id 0, exists from the start. The first routed text whose
// id has no window renames the first window to that id; later texts with
// new ids open new windows.
//
// Only one listener runs per user: the framework takes an exclusive lock on
// the file "strata9-tracing-<uid>.lock" in $XDG_RUNTIME_DIR (else /tmp).
// When another framework holds it, "There is tracing logger already
// running..." is written to stderr and this one does not listen (its windows
// stay empty unless AddItem is called directly).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "w32_system/LxExport.h"

class LX_EXPORT CDebugFramework
{
  public:
    // owner: the owner window of the tracing windows; there are no windows
    // here, so it is not used.
    explicit CDebugFramework(void* owner);
    virtual ~CDebugFramework();
    CDebugFramework(const CDebugFramework&) = delete;
    CDebugFramework& operator=(const CDebugFramework&) = delete;

    // Makes an empty window for the id; nothing when it has one already.
    void CreateDebugWindow(int windowId);
    // Routes one text as described above (null is ignored).
    void AddItem(const char16_t* text);

    // False when another listener was running at construction, or the
    // listener could not be set up (reported through DiagAssertW).
    bool IsListening() const;
    // The ids that have a window, in ascending order.
    std::vector<int> GetWindowIds() const;
    // Empty when the id has no window.
    std::u16string GetWindowTitle(int windowId) const;
    // 0 when the id has no window.
    int GetColumnCount(int windowId) const;
    // The window's lines, each split into its columns; empty when the id has
    // no window.
    std::vector<std::vector<std::u16string>> GetLines(int windowId) const;

  private:
    struct SWindow {
        std::u16string wsTitle;
        int iColumns = 8;
        int iLinesShown = 0;
        std::vector<std::vector<std::u16string>> lines;
    };

    void startListening();
    SWindow& windowFor(int windowId);
    static SWindow makeWindow(int windowId);
    static void onDebugOutput(const char16_t* text, void* self);

    mutable std::mutex m_lock; // guards the fields below
    bool m_initial = true;     // until the first routed text
    std::map<int, SWindow> m_windows;

    int m_sinkId = 0;
    int m_listenerLockFd = -1;
};

// The process-wide framework: with recreate clear, the existing one or a new
// one; with it set, the existing one is destroyed first and a new one made.
// Null when it cannot be made. It is destroyed when the library unloads;
// after a recreation, pointers returned before are no longer valid.
// owner: see CDebugFramework.
LX_EXPORT CDebugFramework* DiagOutputWnd(void* owner, bool recreate);
