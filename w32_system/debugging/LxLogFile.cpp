// PLACEHOLDER: replaced by the log-file work.
#include "w32_system/debugging/LxLogFile.h"

int CLxLogFile::Log(const char16_t*, int) { return -9; }
bool CLxLogFile::Detail() { return false; }
int CLxLogFile::CloseLog() { return 0; }
int CLxLogFile::EnableLog(bool) { return 0; }
const char16_t* CLxLogFile::GetLogFilename() { return nullptr; }
int LX_Log(const char16_t* text) { return CLxLogFile::Log(text, 0); }
