// Assertion reports and their outlets.
#include "w32_system/debugging/LxDiag.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <syslog.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "w32_system/LxFormat.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDebugOutput.h"
#include "w32_system/debugging/LxErrnoKeeper.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/debugging/LxTraceRecord.h"
#include "w32_system/dynlib/LxModulePath.h"

namespace {

constexpr size_t kAssertTextUnits = 512;
constexpr size_t kReportUnits = 4096;
constexpr int kMaxFrames = 512;
constexpr unsigned kAllOutlets =
    LX_DIAG_MSGBOX | LX_DIAG_DEBUGOUT | LX_DIAG_STACKTRACE | LX_DIAG_EVENTLOG | LX_DIAG_LOGFILE;

std::atomic<unsigned> g_failifOptions{LX_DIAG_LOGFILE};
std::atomic<bool> g_eventLogEnabled{true};

std::string programPath()
{
    std::u16string path = LX_GetExecutablePath();
    return path.empty() ? "<unknown application>" : LX_Utf16ToUtf8(path.c_str());
}

std::string errorText(int code)
{
    char buffer[256];
    // GNU strerror_r returns its text, which may not be the buffer.
    const char* text = strerror_r(code, buffer, sizeof(buffer));
    return text ? text : "<no text for this error>";
}

void appendUtf8(std::u16string& out, const char* text)
{
    out += LX_Utf8ToUtf16(text);
}

// One line per frame, innermost first, starting at the first frame outside
// the assertion layer. The symbol table of the platform knows only exported
// names; source lines are not available.
__attribute__((noinline)) std::u16string stackTrace(int skipFrames)
{
    void* frames[kMaxFrames];
    int count = backtrace(frames, kMaxFrames);
    std::u16string out;
    for (int i = skipFrames + 1; i < count; ++i) {
        char line[1024];
        uintptr_t address = reinterpret_cast<uintptr_t>(frames[i]);
        if (!address)
            continue;
        Dl_info info{};
        bool known = dladdr(frames[i], &info) != 0;
        int n = snprintf(line, sizeof(line), "0x%08llX ", (unsigned long long)address);
        if (known && info.dli_fname) {
            const char* slash = strrchr(info.dli_fname, '/');
            n += snprintf(line + n, sizeof(line) - size_t(n), "%s: ", slash ? slash + 1 : info.dli_fname);
        } else {
            n += snprintf(line + n, sizeof(line) - size_t(n), "<unknown module>: ");
        }
        if (known && info.dli_sname) {
            long displacement = long(address - reinterpret_cast<uintptr_t>(info.dli_saddr));
            if (displacement)
                snprintf(line + n, sizeof(line) - size_t(n), "%s + %ld bytes\n", info.dli_sname,
                         displacement);
            else
                snprintf(line + n, sizeof(line) - size_t(n), "%s\n", info.dli_sname);
        } else {
            snprintf(line + n, sizeof(line) - size_t(n), "<unknown symbol>\n");
        }
        appendUtf8(out, line);
    }
    return out;
}

// The event log is syslog. As on the original platform, it is used only when
// the event-message module is already present in the process (never loaded
// here); a failed write switches the outlet off for good.
bool writeEventLog(const std::u16string& report)
{
    void* module = dlopen("libzezedudozudad.so", RTLD_NOW | RTLD_NOLOAD);
    if (!module)
        return false;
    dlclose(module);
    static const bool opened = (openlog("ZezedudozUdad", LOG_PID, LOG_USER), true);
    (void)opened;
    syslog(LOG_ERR, "%s", LX_Utf16ToUtf8(report.c_str()).c_str());
    return true;
}

// A message box needs a desktop; the stand-in shows the report on stderr and
// answers as the user who chooses "ignore" (or "OK").
unsigned showMessageBox(const std::u16string& report)
{
    std::string text = "ASSERTION FAILURE...\n" + LX_Utf16ToUtf8(report.c_str()) + "\n";
    ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
    (void)ignored;
    return 0;
}

__attribute__((noinline)) unsigned report(unsigned options, const char16_t* text, unsigned style,
                                          int savedErrno, int skipFrames)
{
    (void)style; // every stand-in answer maps to 0 ("ignore" or "OK")
    unsigned outlets = options ? options : g_failifOptions.load();
    // Nobody listens to the debugger output: a report only for it would
    // cost a program that checks bad input on every record for nothing.
    if ((outlets & LX_DIAG_DEBUGOUT) && !LX_DebugOutputListened())
        outlets &= ~unsigned(LX_DIAG_DEBUGOUT);
    // Options that name no outlet (a stack trace alone goes nowhere): nothing
    // to build the report for.
    if (!(outlets & kAllOutlets & ~unsigned(LX_DIAG_STACKTRACE)))
        return 0;
    std::string program = programPath();
    std::string error = errorText(savedErrno);
    std::u16string message(kReportUnits, u'\0');
    int n = LX_snwprintf(message.data(), kReportUnits,
                         u"Debug Assertion Failed!\r\nProgram : %hs\r\n%s\r\nLast Error (0x%08X) : %hs\r\n",
                         program.c_str(), text ? text : u"", unsigned(savedErrno), error.c_str());
    message.resize(size_t(std::min<int>(std::max(n, 0), int(kReportUnits) - 1)));

    if (outlets & LX_DIAG_STACKTRACE) {
        std::u16string trace = stackTrace(skipFrames + 1);
        // Whole lines only, as far as they fit.
        size_t room = kReportUnits - 1 - message.size();
        if (trace.size() > room) {
            size_t cut = trace.rfind(u'\n', room ? room - 1 : 0);
            trace.resize(cut == std::u16string::npos || room == 0 ? 0 : cut + 1);
        }
        message += trace;
    }
    if (outlets & LX_DIAG_DEBUGOUT) {
        std::u16string out = u"*** " + message;
        LX_OutputDebugString(out.c_str());
    }
    if ((outlets & LX_DIAG_EVENTLOG) && g_eventLogEnabled.load())
        g_eventLogEnabled = writeEventLog(message);
    if (outlets & LX_DIAG_LOGFILE)
        CLxLogFile::Log(message.c_str(), 0);
    if (outlets & LX_DIAG_MSGBOX)
        return showMessageBox(message);
    return 0;
}

} // namespace

int LX_SetFailifOptions(unsigned mask)
{
    return mask ? int(g_failifOptions.exchange(mask)) : 0;
}

bool LX_DiagEventLogEnabled()
{
    return g_eventLogEnabled.load();
}

unsigned DiagAssertReport(unsigned options, const char16_t* text, unsigned style)
{
    CLxErrnoKeeper keep;
    return report(options, text, style, keep.saved(), 1);
}

unsigned DiagAssertA(unsigned options, const char* expression, const char* message, const char* file,
                     int line)
{
    CLxErrnoKeeper keep;
    char16_t text[kAssertTextUnits];
    if (message)
        LX_snwprintf(text, kAssertTextUnits, u"File : %hs\r\nLine : %d\r\nExpression : %hs\r\n%hs",
                     file ? file : "", line, expression ? expression : "", message);
    else
        LX_snwprintf(text, kAssertTextUnits, u"File : %hs\r\nLine : %d\r\nExpression : %hs",
                     file ? file : "", line, expression ? expression : "");
    return report(options, text, 1, keep.saved(), 1);
}

unsigned DiagAssertW(unsigned options, const char16_t* expression, const char16_t* message,
                     const char* file, int line)
{
    CLxErrnoKeeper keep;
    char16_t text[kAssertTextUnits];
    if (message)
        LX_snwprintf(text, kAssertTextUnits, u"File : %hs\r\nLine : %d\r\nExpression : %s\r\n%s",
                     file ? file : "", line, expression ? expression : u"", message);
    else
        LX_snwprintf(text, kAssertTextUnits, u"File : %hs\r\nLine : %d\r\nExpression : %s",
                     file ? file : "", line, expression ? expression : u"");
    report(options, text, 1, keep.saved(), 1);
    return 1;
}
