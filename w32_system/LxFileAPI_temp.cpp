// Temporary names, the search for a file along folders, and the storage
// folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/LxShellFolders.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/dynlib/LxModulePath.h"

namespace {

std::string tempFolder()
{
    const char* tmp = getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp/";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

// The numbers that '$' runs are replaced by.
constexpr unsigned kNameNumbers = 32768;

// Whether some run of '$' is followed by another character.
bool hasNumberRun(const std::u16string& pattern)
{
    for (size_t at = 0; at + 1 < pattern.size(); ++at)
        if (pattern[at] == u'$' && pattern[at + 1] != u'$')
            return true;
    return false;
}

// The pattern with every '$' run that another character follows replaced by
// number, zero-padded to the run's length.
std::u16string expandPattern(const std::u16string& pattern, unsigned number)
{
    std::u16string out;
    for (size_t at = 0; at < pattern.size();) {
        size_t end = at;
        while (end < pattern.size() && pattern[end] == u'$')
            ++end;
        if (end == at) {
            out += pattern[at++];
        } else if (end == pattern.size()) {
            out.append(pattern, at, end - at);
            at = end;
        } else {
            std::string digits = std::to_string(number);
            if (digits.size() < end - at)
                out.append(end - at - digits.size(), u'0');
            out.append(digits.begin(), digits.end());
            at = end;
        }
    }
    return out;
}

// A private generator per thread: the shared C one, seeded with the clock,
// gives callers in the same second the same names.
std::mt19937& nameGenerator()
{
    thread_local std::mt19937 generator{std::random_device{}()};
    return generator;
}

bool exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool isFoundFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool hasExtension(const std::string& name)
{
    size_t slash = name.rfind('/');
    return name.find('.', slash == std::string::npos ? 0 : slash + 1) != std::string::npos;
}

std::string joinPath(std::string folder, const std::string& name)
{
    if (folder.empty())
        folder = ".";
    if (folder.back() != '/')
        folder += '/';
    return folder + name;
}

std::vector<std::string> splitList(const std::string& list)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t colon; (colon = list.find(':', start)) != std::string::npos; start = colon + 1)
        parts.push_back(list.substr(start, colon - start));
    parts.push_back(list.substr(start));
    return parts;
}

// The executable's folder, the current folder, then $PATH.
std::vector<std::string> defaultSearchFolders()
{
    std::vector<std::string> folders;
    std::string exe = LX_Utf16ToUtf8(LX_GetExecutablePath().c_str());
    if (!exe.empty())
        folders.push_back(exe.substr(0, exe.rfind('/') + 1));
    if (char* cwd = getcwd(nullptr, 0)) {
        folders.emplace_back(cwd);
        free(cwd);
    }
    if (const char* path = getenv("PATH"))
        for (std::string& folder : splitList(path))
            folders.push_back(std::move(folder));
    return folders;
}

std::mutex& storageLock()
{
    static std::mutex lock;
    return lock;
}

std::u16string& storageFolder()
{
    static std::u16string folder;
    return folder;
}

} // namespace

int LX_GetTempPath(char16_t* buffer, uint32_t size)
{
    if (!buffer || !size)
        return -4;
    return LX_CopyWholePath(LX_WidePath(tempFolder()), buffer, size);
}

int LX_FindTempName(const std::string& folder, const std::u16string& pattern, bool create,
                    unsigned numberCount, std::string* path)
{
    // An odd stride visits each of the power-of-two many numbers once, from a
    // random start: the search ends, and tries no name twice.
    std::mt19937& generator = nameGenerator();
    unsigned number = generator() % numberCount, stride = (generator() % numberCount) | 1;
    unsigned candidates = hasNumberRun(pattern) ? numberCount : 1;
    for (unsigned i = 0; i < candidates; ++i, number = (number + stride) % numberCount) {
        *path = folder + LX_SystemPath(expandPattern(pattern, number).c_str());
        if (exists(*path))
            continue;
        if (!create)
            return 0;
        int fd = LX_OpenFd(*path, O_RDWR | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            close(fd);
            return 0;
        }
        if (errno != EEXIST) // EEXIST: taken by someone else meanwhile
            return LX_FILE_E_OPEN;
    }
    return LX_FILE_E_OPEN;
}

int LX_GetTempFileName(const char16_t* folder, const char16_t* pattern, bool create,
                       char16_t* buffer, uint32_t size)
{
    if (!pattern || !buffer || !size)
        return -4;
    std::string base = folder ? LX_SystemPath(folder) : tempFolder();
    if (!base.empty() && base.back() != '/')
        base += '/';
    // The longest name the search can give must fit before anything is
    // created: a file whose name cannot be handed back would be orphaned.
    std::u16string longest =
        LX_WidePath(base + LX_SystemPath(expandPattern(pattern, kNameNumbers - 1).c_str()));
    if (longest.size() >= size) {
        buffer[0] = 0;
        return LX_FILE_E_BUFFER_TOO_SMALL;
    }
    std::string path;
    int rc = LX_FindTempName(base, pattern, create, kNameNumbers, &path);
    if (rc == 0)
        rc = LX_CopyWholePath(LX_WidePath(path), buffer, size);
    return rc;
}

int LX_SearchPath(const char16_t* searchPath, const char16_t* fileName, const char16_t* extension,
                  char16_t* buffer, uint32_t size)
{
    if (!fileName || !buffer || !size)
        return -4;
    std::string name = LX_SystemPath(fileName);
    if (name.empty())
        return LX_FILE_E_SEARCHPATH;
    if (extension && !hasExtension(name))
        name += LX_SystemPath(extension);
    std::vector<std::string> candidates;
    if (name[0] == '/') {
        candidates.push_back(name);
    } else {
        std::vector<std::string> folders =
            searchPath ? splitList(LX_SystemPath(searchPath)) : defaultSearchFolders();
        for (const std::string& folder : folders)
            candidates.push_back(joinPath(folder, name));
    }
    for (const std::string& path : candidates) {
        if (isFoundFile(path))
            return LX_CopyWholePath(LX_WidePath(path), buffer, size);
    }
    return LX_FILE_E_SEARCHPATH;
}

int LX_SetStorageFolder(const char16_t* folder)
{
    std::u16string text = folder ? LX_WidePath(LX_SystemPath(folder)) : std::u16string();
    std::lock_guard<std::mutex> guard(storageLock());
    storageFolder() = text;
    return 0;
}

int LX_GetStoragePath(char16_t* buffer, uint32_t size, bool common)
{
    if (!buffer || !size)
        return -4;
    std::u16string path = common ? LX_GetCommonAppDataFolder() : LX_GetLocalAppDataFolder();
    if (path.empty())
        return -4;
    path += u'/';
    {
        std::lock_guard<std::mutex> guard(storageLock());
        path += storageFolder();
    }
    return LX_CopyWholePath(path, buffer, size);
}
