// Internal pieces of the trace-record writer, exposed for the tests.
#pragma once

#include <string>

// Outlet of the event log: the assertion layer's syslog writer. True while
// the event log is still enabled for the process.
bool LX_DiagEventLogEnabled();

// The source position that DiagOutputExW_hlp recorded on this thread.
int LX_DiagSourceLine();
