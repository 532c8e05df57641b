// The process-wide log file: UTF-16LE text without a byte-order mark in the
// per-user folder "<XDG data home>/Veltmarshoptronica/TORVEL5.30/", named
// "lxapp.log", or "lxappdetail.log" when that file exists (detail mode).
// A file over 1 MiB is emptied when it is opened, and one over 2 MiB before
// the next line is written to it.
#pragma once

#include "w32_system/LxExport.h"
#include "w32_system/LxMutexCS.h"
#include "w32_system/LxTypes.h"

class LX_EXPORT CLxLogFile
{
public:
    // 0; -4 null text; -9 no log file or level below the detail level;
    // otherwise the status of the write. Level -1 reaches only the detail log.
    static int Log(const char16_t* text, int level);
    // True when the open log is the detail log.
    static bool Detail();
    // Closes the file; the next use opens it again.
    static int CloseLog();
    static int EnableLog(bool enable);
    // Full path of the open log file, or null.
    static const char16_t* GetLogFilename();

private:
    CLxLogFile();
    ~CLxLogFile();
    static CLxLogFile* getInstance();

    LX_HFILE m_file = LX_INVALID_HFILE;
    bool m_open = false;
    pthread_mutexCS_t m_classLock = nullptr;
    int m_detailLevel = 0;
    char16_t m_fileName[1024] = {};
};

LX_EXPORT int LX_Log(const char16_t* text);
