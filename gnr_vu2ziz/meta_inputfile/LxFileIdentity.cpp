#include "gnr_vu2ziz/meta_inputfile/LxFileIdentity.h"

#include <sys/stat.h>

#include "w32_system/LxFileInternal.h"

SLxFileIdentity LX_FileIdentity(const char16_t* path, bool* folder)
{
    SLxFileIdentity identity;
    if (folder)
        *folder = false;
    struct stat st {};
    if (!path || stat(LX_SystemPath(path).c_str(), &st) != 0)
        return identity;
    identity.qwDevice = uint64_t(st.st_dev);
    identity.qwInode = uint64_t(st.st_ino);
    identity.bKnown = true;
    if (folder)
        *folder = S_ISDIR(st.st_mode);
    return identity;
}
