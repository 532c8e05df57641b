// Trace records: tag replacement, the record's shape and its outlets.
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <map>
#include <string>

#include "w32_system/LxFormat.h"
#include "w32_system/LxMutexCS.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDebugOutput.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxErrnoKeeper.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/debugging/LxTraceRecord.h"
#include "w32_system/dynlib/LxModulePath.h"
#include "w32_system/timer/LxTimer.h"

namespace {

constexpr size_t kMessageUnits = 1024;
constexpr size_t kRecordLimit = 1024; // text is added while the record is shorter
constexpr size_t kRecordCut = 1022;   // records this long end in "...\r\n"
constexpr int kCounters = 8;
constexpr size_t kTagLength = 7;

std::atomic<unsigned> g_traceOptions{LX_DIAG_DEBUGOUT | LX_DIAG_LOGFILE};

// The caller's source position is kept per thread, so that two threads
// tracing at once each report their own.
thread_local int t_sourceLine = -1;
thread_local char16_t t_sourceFile[512];

// The state of the records, made on first use: records are written from any
// moment of start-up or shut-down, also before or after the static
// initialisers and exit handlers of this file would run. It is never
// destroyed for that reason.
struct TraceState {
    pthread_mutexCS_t lock = PTHREAD_MUTEXCS_INITIALIZER;
    // Everything below is guarded by the lock.
    bool started = false;
    double previousRecord = 0;
    double counters[kCounters] = {};
    std::u16string appName;
    std::map<int, double> windowTimes;
};

TraceState& traceState()
{
    static TraceState* state = new TraceState;
    return *state;
}

std::u16string applicationName()
{
    std::u16string path = LX_GetExecutablePath();
    if (path.empty())
        return u"<unknown app>";
    return path.substr(path.find_last_of(u'/') + 1);
}

unsigned threadId()
{
    return unsigned(syscall(SYS_gettid));
}

std::u16string milliseconds(double ms)
{
    char16_t text[64];
    LX_snwprintf(text, 64, u"%#.2f", ms);
    return text;
}

std::u16string decimal(long long value)
{
    char16_t text[32];
    LX_snwprintf(text, 32, u"%I64d", value);
    return text;
}

std::u16string localTimeOfDay()
{
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char16_t text[16];
    LX_snwprintf(text, 16, u"%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

bool startsWith(const char16_t* s, const char16_t* prefix)
{
    return lx_wcsncmp(s, prefix, lx_wcslen(prefix)) == 0;
}

// Builds the record from the message, replacing tags; sets the window id.
class RecordBuilder
{
public:
  RecordBuilder(TraceState& state, double now) : m_state(state), m_now(now) {}

  std::u16string build(const char16_t* message)
  {
      if (!startsWith(message, u"|wndid:"))
          add(u"|wndid:0 ");
      for (const char16_t* p = message; *p && m_record.size() < kRecordLimit;) {
          if (*p == u'|' && lx_wcsnlen(p, kTagLength) == kTagLength)
              p = tag(p);
          else
              add(*p++);
      }
      close();
      return m_record;
    }

    int windowId() const { return m_windowId; }

private:
    void add(char16_t c)
    {
        if (m_record.size() < kRecordLimit)
            m_record += c;
    }
    void add(const std::u16string& text)
    {
        for (char16_t c : text)
            add(c);
    }

    // Handles the seven characters at p; returns where copying goes on.
    const char16_t* tag(const char16_t* p)
    {
        const char16_t* next = p + kTagLength;
        if (startsWith(p, u"|wndid:")) {
            add(std::u16string(p, kTagLength));
            if (startsWith(next, u"|thrid|")) {
                m_windowId = int(threadId());
            } else {
                int id = lx_wtoi(next);
                m_windowId = id == INT32_MAX ? 0 : id;
            }
        } else if (startsWith(p, u"|stime|")) {
            add(localTimeOfDay());
        } else if (startsWith(p, u"|absdt|")) {
            add(milliseconds(m_now - m_state.previousRecord));
        } else if (startsWith(p, u"|adt")) {
            // |adt00| … |adt07|; any other |adt… is dropped.
            if (p[4] == u'0' && p[5] >= u'0' && p[5] < u'0' + kCounters && p[6] == u'|') {
                double& counter = m_state.counters[p[5] - u'0'];
                add(milliseconds(m_now - counter));
                counter = m_now;
            }
        } else if (startsWith(p, u"|wnddt|")) {
            auto it = m_state.windowTimes.find(m_windowId);
            add(it == m_state.windowTimes.end() ? std::u16string(u"0.00")
                                                : milliseconds(m_now - it->second));
        } else if (startsWith(p, u"|appnm|")) {
            add(m_state.appName);
        } else if (startsWith(p, u"|thrid|")) {
            add(decimal(threadId()));
        } else if (startsWith(p, u"|sfile|")) {
            // consumed, nothing inserted
        } else if (startsWith(p, u"|nline|")) {
            add(decimal(t_sourceLine));
        } else if (startsWith(p, u"|srcid|")) {
            char16_t text[600];
            LX_snwprintf(text, 600, u"%s : %i", t_sourceFile, t_sourceLine);
            add(text);
        } else {
            add(*p);
            return p + 1;
        }
        return next;
    }

    void close()
    {
        if (m_record.size() >= kRecordCut) {
            m_record.resize(kRecordCut - 4);
            m_record += u"...\r\n";
        } else if (m_record.size() < 2 || m_record.compare(m_record.size() - 2, 2, u"\r\n") != 0) {
            m_record += u"\r\n";
        }
    }

    TraceState& m_state;
    double m_now;
    int m_windowId = 0;
    std::u16string m_record;
};

void outputFormatted(const char16_t* text)
{
    LX_OutputDebugString(text);
}

} // namespace

int LX_SetTraceOptions(unsigned mask)
{
    return mask ? int(g_traceOptions.exchange(mask)) : 0;
}

int LX_DiagSourceLine()
{
    return t_sourceLine;
}

void DiagOutputA(const char* format, ...)
{
    CLxErrnoKeeper keep;
    char text[kMessageUnits + 1];
    va_list args;
    va_start(args, format);
    LX_vsnprintfA(text, sizeof(text), format ? format : "", args);
    va_end(args);
    outputFormatted(LX_Utf8ToUtf16(text).c_str());
}

void DiagOutputW(const char16_t* format, ...)
{
    CLxErrnoKeeper keep;
    char16_t text[kMessageUnits + 1];
    va_list args;
    va_start(args, format);
    LX_vsnprintfW(text, kMessageUnits + 1, format ? format : u"", args);
    va_end(args);
    outputFormatted(text);
}

void DiagOutputExW_hlp(const char* file, int line)
{
    CLxErrnoKeeper keep;
    LX_snwprintf(t_sourceFile, sizeof(t_sourceFile) / sizeof(t_sourceFile[0]), u"%hs",
                 file ? file : "");
    t_sourceLine = line;
}

void DiagOutputExW(const char16_t* format, ...)
{
    CLxErrnoKeeper keep;
    double now = LX_GetTimeCounter();
    TraceState& state = traceState();
    CLxMutexCSLock lock(&state.lock);
    if (!state.started) {
        state.started = true;
        state.previousRecord = now;
        for (double& counter : state.counters)
            counter = now;
        state.appName = applicationName();
    }

    char16_t message[kMessageUnits + 1];
    va_list args;
    va_start(args, format);
    LX_vsnprintfW(message, kMessageUnits + 1, format ? format : u"", args);
    va_end(args);

    RecordBuilder builder(state, now);
    std::u16string record = builder.build(message);

    unsigned outlets = g_traceOptions.load();
    if (outlets & LX_DIAG_DEBUGOUT)
        LX_OutputDebugString(record.c_str());
    if (outlets & LX_DIAG_LOGFILE)
        CLxLogFile::Log(record.c_str(), 0);

    state.previousRecord = now;
    state.windowTimes[builder.windowId()] = now;
}
