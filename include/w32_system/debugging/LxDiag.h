// Assertion reports and trace records: the library's diagnostics front.
//
// Outlet bits, the same in both option words:
//   1 message box (assertion reports; here: the report on stderr, answered
//     "ignore")
//   2 debugger output (the in-process debug-output sink)
//   4 stack trace appended to the report (assertion reports)
//   8 event log (assertion reports; here: syslog)
//  16 log file (CLxLogFile::Log with level 0)
#pragma once

#include "w32_system/LxExport.h"

enum : unsigned {
    LX_DIAG_MSGBOX = 1,
    LX_DIAG_DEBUGOUT = 2,
    LX_DIAG_STACKTRACE = 4,
    LX_DIAG_EVENTLOG = 8,
    LX_DIAG_LOGFILE = 16,
};

// A mask of 0 changes nothing and returns 0; any other mask replaces the
// option word and the previous word is returned. Defaults: 16 and 18. A mask
// that holds none of the outlet bits (such as 32) switches every outlet off.
LX_EXPORT int LX_SetFailifOptions(unsigned mask);
LX_EXPORT int LX_SetTraceOptions(unsigned mask);

// Builds "File : ...\r\nLine : ...\r\nExpression : ...[\r\nmessage]" and
// reports it through the outlets (options, else the fail-if options).
// Returns 1 for "retry", 0 otherwise.
LX_EXPORT unsigned DiagAssertA(unsigned options, const char* expression, const char* message,
                               const char* file, int line);
// The form every assertion site uses: builds the same text, reports it like
// DiagAssertA and returns 1. Callers go on to return their own error code.
LX_EXPORT unsigned DiagAssertW(unsigned options, const char16_t* expression,
                               const char16_t* message, const char* file, int line);
// Sends a finished assertion text through the outlets. Style 1 asks
// abort/retry/ignore, others OK. Returns 1 for retry, else 0.
LX_EXPORT unsigned DiagAssertReport(unsigned options, const char16_t* text, unsigned style);

// Formats (at most 1024 units) straight to the debugger output: no tags, no
// options, no lock.
LX_EXPORT void DiagOutputA(const char* format, ...);
LX_EXPORT void DiagOutputW(const char16_t* format, ...);

// Records the caller's source position for the calling thread's next record.
LX_EXPORT void DiagOutputExW_hlp(const char* file, int line);
// Writes one trace record: tags |stime| |wndid:N |absdt| |adt00|..|adt07|
// |wnddt| |appnm| |thrid| |sfile| |nline| |srcid| are replaced, the record
// is ended with CR LF and sent to the outlets of the trace options.
LX_EXPORT void DiagOutputExW(const char16_t* format, ...);

// Report a failed condition: the expression's text, a UTF-16 message.
#define LX_DIAG_ASSERT(expression, message) \
    DiagAssertW(0, u"" #expression, message, __FILE__, __LINE__)
// Report with an explicit expression text.
#define LX_DIAG_ASSERT_TEXT(expressionText, message) \
    DiagAssertW(0, expressionText, message, __FILE__, __LINE__)
// Write one trace record with the caller's source position.
#define LX_TRACE(...) (DiagOutputExW_hlp(__FILE__, __LINE__), DiagOutputExW(__VA_ARGS__))
