#include "w32_system/debugging/LxLogFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <string>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFormat.h"
#include "w32_system/LxShellFolders.h"
#include "w32_system/LxWideCrt.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxErrnoKeeper.h"
#include "w32_system/debugging/LxLogFileHooks.h"
#include "w32_system/dynlib/LxModulePath.h"

namespace {

constexpr uint64_t kMaxSizeOnOpen = 1048576;
constexpr uint64_t kMaxSizeWhileWriting = 2 * kMaxSizeOnOpen;
constexpr size_t kMaxLineUnits = 511;
constexpr size_t kMaxFolderNameUnits = 260;

CLxLogFile* g_instance = nullptr;
std::atomic<bool> g_enabled{true};
std::atomic<bool> g_closed{false};
std::atomic<bool> g_mainWindow{false};
// Serialises making, using and dropping the instance between threads, so a
// CloseLog never frees the instance under a writer. Made on first use: the
// log is written from any moment of start-up, also before this file's static
// initialisers would run.
pthread_mutexCS_t* instanceLock()
{
    static pthread_mutexCS_t lock = PTHREAD_MUTEXCS_INITIALIZER;
    return &lock;
}
// Set while this thread builds the instance: reports made meanwhile (a failed
// lock creation) find no log instead of building a second one.
thread_local bool t_constructing = false;

std::u16string& settingsFolderOverride()
{
    static std::u16string* folder = new std::u16string;
    return *folder;
}

// "Wed Dec 09 09:18:23 2026 ***** ": the runtime's asctime form of local
// time, its line end replaced.
std::u16string timeString()
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    char16_t text[64];
    LX_snwprintf(text, 64, u"%hs %hs %02d %02d:%02d:%02d %d ***** ", days[t.tm_wday % 7],
                 months[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_year + 1900);
    return text;
}

std::u16string folderOf(const std::u16string& path)
{
    size_t slash = path.find_last_of(u"/\\");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

// Looks for the string value wsAppFolder as the variant XML text writes it,
// within the file's bytes only (the file need not end with a zero unit).
std::u16string appFolderFromSettings(const std::u16string& settingsPath)
{
    LX_HFILE file;
    if (LX_OpenFile(settingsPath.c_str(), 1, 1, -1, &file) != 0)
        return {};
    std::u16string folder;
    uint64_t size = 0;
    void* view = nullptr;
    if (LX_GetFileSize(file, &size) == 0 && size >= 2 &&
        LX_MapFile(file, 1, 0, 0, size_t(size), &view) == 0) {
        const char16_t* text = static_cast<const char16_t*>(view);
        std::u16string_view content(text, size_t(size / 2));
        const std::u16string_view key = u"<wsAppFolder runtype=\"CLxStringW\" value=\"";
        size_t at = content.find(key);
        if (at != std::u16string_view::npos) {
            size_t begin = at + key.size();
            size_t end = content.find(u'"', begin);
            if (end != std::u16string_view::npos && end - begin <= kMaxFolderNameUnits)
                folder = content.substr(begin, end - begin);
        }
        LX_UnmapFile(view);
    }
    LX_CloseFile(file);
    return folder;
}

int writeUnits(LX_HFILE file, const std::u16string& text)
{
    // UTF-16 little-endian on disk, whatever the host order.
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    uint32_t written = 0;
    return LX_WriteFile(file, bytes.data(), uint32_t(bytes.size()), &written, nullptr);
}

} // namespace

void LX_SimulateMainWindow(bool present)
{
    g_mainWindow = present;
}

void LX_SetSettingsFolderOverride(const char16_t* folder)
{
    settingsFolderOverride() = folder ? folder : u"";
}

CLxLogFile::CLxLogFile()
{
    std::u16string local = LX_GetLocalAppDataFolder();
    std::u16string folder = local + u"/Veltmarshoptronica/TORVEL5.30/";
    std::u16string programFolder = settingsFolderOverride().empty()
                                       ? folderOf(LX_GetExecutablePath())
                                       : settingsFolderOverride() + u"/";
    std::u16string appFolder = appFolderFromSettings(programFolder + u"SetupOptions.xml");
    if (!appFolder.empty())
        folder = local + u"/" + appFolder + u"/";
    LX_CreateDirectory(folder.c_str(), true);

    std::u16string path = folder + u"lxappdetail.log";
    if (LX_OpenFile(path.c_str(), 1 | 2, 1 | 2, -1, &m_file) == 0) {
        m_detailLevel = -1;
    } else {
        m_detailLevel = 0;
        path = folder + u"lxapp.log";
        if (LX_OpenFile(path.c_str(), 1 | 2 | 8, 1, -1, &m_file) != 0)
            return;
    }
    std::copy_n(path.c_str(), std::min(path.size() + 1, sizeof(m_fileName) / sizeof(m_fileName[0]) - 1),
                m_fileName);

    uint64_t size = 0;
    if (LX_GetFileSize(m_file, &size) != 0) {
        LX_CloseFile(m_file);
        m_file = LX_INVALID_HFILE;
        return;
    }
    if (size > kMaxSizeOnOpen) {
        LX_SeekFile(m_file, 0, 0, 0);
        LX_SetEOF(m_file);
    }
    if (pthread_mutexCS_init(&m_classLock, nullptr) != 0) {
        LX_DIAG_ASSERT_TEXT(u"pthread_mutexCS_init(&m_classLock, NULL)", nullptr);
        return;
    }
    LX_SeekFile(m_file, 0, 0, 2);
    writeUnits(m_file, u"\r\n" + timeString() + u" Log session started.\r\n");
    m_open = true;
}

CLxLogFile::~CLxLogFile()
{
    if (m_file != LX_INVALID_HFILE)
        LX_CloseFile(m_file);
    if (m_classLock)
        pthread_mutexCS_destroy(&m_classLock);
}

// Callers hold the instance lock.
CLxLogFile* CLxLogFile::getInstance()
{
    if (!g_enabled || t_constructing)
        return nullptr;
    if (!g_instance && (g_closed || !g_mainWindow)) {
        t_constructing = true;
        g_instance = new CLxLogFile;
        t_constructing = false;
        g_closed = false;
        if (!g_instance->m_open) {
            delete g_instance;
            g_instance = nullptr;
        }
    }
    return g_instance;
}

int CLxLogFile::Log(const char16_t* text, int level)
{
    if (!text)
        return -4;
    CLxErrnoKeeper keep;
    CLxMutexCSLock guard(instanceLock());
    CLxLogFile* log = getInstance();
    int result = -9;
    if (log && level >= log->m_detailLevel) {
        std::u16string line = timeString();
        size_t room = line.size() < kMaxLineUnits ? kMaxLineUnits - line.size() : 0;
        line.append(text, lx_wcsnlen(text, room));
        CLxMutexCSLock lock(&log->m_classLock);
        // The cut of the opening, also while the process runs: a long run
        // must not fill the disk through its log.
        uint64_t size = 0;
        if (LX_GetFileSize(log->m_file, &size) == 0 && size > kMaxSizeWhileWriting) {
            LX_SeekFile(log->m_file, 0, 0, 0);
            LX_SetEOF(log->m_file);
        }
        LX_SeekFile(log->m_file, 0, 0, 2);
        result = writeUnits(log->m_file, line);
    }
    return result;
}

bool CLxLogFile::Detail()
{
    CLxMutexCSLock guard(instanceLock());
    CLxLogFile* log = getInstance();
    return log && log->m_detailLevel == -1;
}

int CLxLogFile::CloseLog()
{
    CLxMutexCSLock guard(instanceLock());
    delete g_instance;
    g_instance = nullptr;
    g_closed = true;
    return 0;
}

int CLxLogFile::EnableLog(bool enable)
{
    g_enabled = enable;
    return 0;
}

const char16_t* CLxLogFile::GetLogFilename()
{
    CLxMutexCSLock guard(instanceLock());
    CLxLogFile* log = getInstance();
    return log ? log->m_fileName : nullptr;
}

int LX_Log(const char16_t* text)
{
    return CLxLogFile::Log(text, 0);
}
