// Folders: create, remove, the current folder and free space; file removal.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"

namespace {

bool isDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// One folder; one that exists already (made meanwhile too) is success.
bool makeFolder(const std::string& path)
{
    return mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && isDirectory(path));
}

// Every folder of the path that is missing, in order, then the path itself.
// The walk has no length limit: a cut path would name another folder.
bool makeFolders(const std::string& path)
{
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
        if (path[at - 1] == '/')
            continue;
        std::string prefix = path.substr(0, at);
        struct stat st;
        if (stat(prefix.c_str(), &st) != 0 && !makeFolder(prefix))
            return false;
    }
    return makeFolder(path);
}

int removeFile(const std::string& path, bool strict)
{
    // unlink needs no write permission on the file itself, so a read-only
    // file goes without changing its mode first.
    if (unlink(path.c_str()) == 0)
        return 0;
    if (!strict && (errno == ENOENT || errno == ENOTDIR))
        return 0;
    return LX_FILE_E_REMOVE;
}

std::vector<std::string> listNames(DIR* dir)
{
    std::vector<std::string> names;
    while (const struct dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    return names;
}

int removeTree(const std::string& path)
{
    if (DIR* dir = opendir(path.c_str())) {
        // Listed first: removing entries while reading the folder may skip some.
        std::vector<std::string> names = listNames(dir);
        closedir(dir);
        for (const std::string& name : names) {
            if (name[0] == '.')
                continue;
            std::string child = path + '/' + name;
            struct stat st;
            // lstat: a link to a folder is removed itself, never followed.
            bool folder = lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            int rc = folder ? removeTree(child) : removeFile(child, false);
            if (rc != 0)
                return rc;
        }
    }
    return rmdir(path.c_str()) == 0 ? 0 : LX_FILE_E_RMDIR;
}

} // namespace

int LX_CreateDirectory(const char16_t* path, bool recursive)
{
    if (!path)
        return -4;
    if (!*path)
        return LX_FILE_E_MKDIR;
    std::string folder = LX_SystemPath(path);
    return (recursive ? makeFolders(folder) : makeFolder(folder)) ? 0 : LX_FILE_E_MKDIR;
}

int LX_RemoveDirectory(const char16_t* path)
{
    if (!path)
        return -4;
    if (rmdir(LX_SystemPath(path).c_str()) != 0)
        return LX_FILE_E_RMDIR;
    return 0;
}

int LX_RemoveDirectoryRecursively(const char16_t* path)
{
    if (!path)
        return -4;
    if (!*path)
        return LX_FILE_E_RMDIR;
    return removeTree(LX_SystemPath(path));
}

int LX_RemoveFile(const char16_t* path, bool strict)
{
    if (!path)
        return -4;
    return removeFile(LX_SystemPath(path), strict);
}

int LX_GetCurrentDirectory(char16_t* buffer, uint32_t size)
{
    if (!buffer || !size)
        return -4;
    char* folder = getcwd(nullptr, 0);
    if (!folder)
        return LX_FILE_E_GETCWD;
    int rc = LX_CopyWholePath(LX_WidePath(folder), buffer, size);
    free(folder);
    return rc;
}

int LX_SetCurrentDirectory(const char16_t* path)
{
    if (!path)
        return -4;
    if (chdir(LX_SystemPath(path).c_str()) != 0)
        return LX_FILE_E_SETCWD;
    return 0;
}

int LX_GetDiskSpaces(const char16_t* folder, uint64_t* available, uint64_t* total, uint64_t* free)
{
    struct statvfs fs;
    std::string path = folder && *folder ? LX_SystemPath(folder) : std::string(".");
    if (statvfs(path.c_str(), &fs) != 0)
        return LX_FILE_E_DISKSPACE;
    if (available)
        *available = uint64_t(fs.f_bavail) * fs.f_frsize;
    if (total)
        *total = uint64_t(fs.f_blocks) * fs.f_frsize;
    if (free)
        *free = uint64_t(fs.f_bfree) * fs.f_frsize;
    return 0;
}
