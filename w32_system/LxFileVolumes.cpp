// Mount points as drives, volume details, and the services that have no
// counterpart here (network names, access lists).
#include <mntent.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"

namespace {

struct MountEntry {
    std::string source;
    std::string point;
    std::string type;
};

// False when the mount table cannot be read.
bool readMounts(std::vector<MountEntry>* mounts)
{
    FILE* table = setmntent("/proc/self/mounts", "r");
    if (!table)
        return false;
    struct mntent entry;
    char text[4096];
    while (getmntent_r(table, &entry, text, sizeof text))
        mounts->push_back({entry.mnt_fsname, entry.mnt_dir, entry.mnt_type});
    endmntent(table);
    return true;
}

// The mount that holds path: the longest mount point above it, the last
// one mounted when several are stacked.
MountEntry mountHolding(const std::string& path)
{
    MountEntry found;
    char* real = realpath(path.c_str(), nullptr);
    std::vector<MountEntry> mounts;
    if (!real || !readMounts(&mounts)) {
        free(real);
        return found;
    }
    std::string canonical = real;
    free(real);
    size_t bestLength = 0;
    for (const MountEntry& mount : mounts) {
        const std::string& point = mount.point;
        bool above =
            point == "/" || canonical == point ||
            (canonical.compare(0, point.size(), point) == 0 && canonical[point.size()] == '/');
        if (above && point.size() >= bestLength) {
            bestLength = point.size();
            found = mount;
        }
    }
    return found;
}

struct MagicDriveType {
    unsigned long magic;
    uint32_t driveType;
};

const MagicDriveType kDriveTypes[] = {
    {0x01021994, LX_DRIVE_RAMDISK}, // tmpfs
    {0x858458f6, LX_DRIVE_RAMDISK}, // ramfs
    {0x6969, LX_DRIVE_REMOTE},      // nfs
    {0xFF534D42, LX_DRIVE_REMOTE},  // cifs
    {0xFE534D42, LX_DRIVE_REMOTE},  // smb2
    {0x517B, LX_DRIVE_REMOTE},      // smb
    {0x9660, LX_DRIVE_CDROM},       // iso9660
    {0x15013346, LX_DRIVE_CDROM},   // udf
};
constexpr unsigned long kFuseMagic = 0x65735546;

uint32_t driveTypeOf(const struct statfs& fs, const std::string& mountType)
{
    unsigned long magic = (unsigned long)fs.f_type & 0xFFFFFFFFul;
    for (const MagicDriveType& known : kDriveTypes)
        if (known.magic == magic)
            return known.driveType;
    // FUSE hides what it serves; the mount table names it.
    if (magic == kFuseMagic && mountType == "fuse.sshfs")
        return LX_DRIVE_REMOTE;
    return LX_DRIVE_FIXED;
}

} // namespace

int LX_GetLogicalDriveStrings(char16_t* buffer, uint32_t size, uint32_t* needed)
{
    std::vector<MountEntry> mounts;
    if (!readMounts(&mounts))
        return LX_FILE_E_DRIVES;
    std::u16string list;
    std::vector<std::string> listed;
    for (const MountEntry& mount : mounts) {
        std::string root = mount.point == "/" ? mount.point : mount.point + '/';
        // Stacked mounts share a mount point: list it once.
        if (std::find(listed.begin(), listed.end(), root) != listed.end())
            continue;
        listed.push_back(root);
        list += LX_WidePath(root);
        list += u'\0';
    }
    list += u'\0';
    if (needed)
        *needed = uint32_t(list.size());
    if (!buffer || size < list.size())
        return LX_FILE_E_BUFFER_TOO_SMALL;
    list.copy(buffer, list.size());
    return 0;
}

int LX_GetVolumeInformation(const char16_t* root, SLxVolumeInfo* record)
{
    if (!record)
        return -4;
    std::string path = root && *root ? LX_SystemPath(root) : std::string(".");
    struct statfs fs;
    bool found = statfs(path.c_str(), &fs) == 0;
    MountEntry mount = found ? mountHolding(path) : MountEntry();
    record->uiDriveType = found ? driveTypeOf(fs, mount.type) : LX_DRIVE_NO_ROOT;
    record->uiReserved = 0;
    if (!record->pwsVolumeName && !record->pwsFileSystemName)
        return 0;
    if (!found)
        return LX_FILE_E_VOLUME;
    std::string name = mount.source;
    uint32_t type = record->uiDriveType;
    if (type == LX_DRIVE_REMOVABLE || type == LX_DRIVE_CDROM || type == LX_DRIVE_RAMDISK) {
        uint32_t serial = uint32_t(fs.f_fsid.__val[0]) ^ uint32_t(fs.f_fsid.__val[1]);
        char number[16];
        snprintf(number, sizeof number, " (%08x)", serial);
        name += number;
    }
    if (record->pwsVolumeName)
        LX_CopyText(LX_WidePath(name), record->pwsVolumeName, record->uiVolumeNameSize);
    if (record->pwsFileSystemName && record->uiFileSystemNameSize)
        record->pwsFileSystemName[0] = 0;
    return 0;
}

int LX_GetUNCPath(const char16_t*, char16_t*, uint32_t)
{
    return -13;
}

int LX_SetAccessRights(const char16_t* path, uint32_t)
{
    if (!path)
        return -4;
    struct stat st;
    if (lstat(LX_SystemPath(path).c_str(), &st) != 0)
        return LX_FILE_E_ACCESSRIGHTS;
    return -2;
}
