// Listing a folder's entries that match a name mask.
#include <dirent.h>
#include <sys/stat.h>

#include <new>
#include <string>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/LxWideCrt.h"

struct SLxFindContext {
    DIR* dir;
    std::string folder; // ends with '/', or empty for the current folder
    std::u16string mask;
};

namespace {

// '*' any run, '?' any one unit, everything else without regard to case.
bool matchesMask(const char16_t* mask, const char16_t* name)
{
    const char16_t* starMask = nullptr;
    const char16_t* starName = nullptr;
    while (*name) {
        if (*mask == u'*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask && (*mask == u'?' || lx_towlower(*mask) == lx_towlower(*name))) {
            ++mask;
            ++name;
        } else if (starMask) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == u'*')
        ++mask;
    return !*mask;
}

enum FindStep { kFound, kNoMore, kBadTime };

bool fillRecord(const SLxFileStatus& status, const std::u16string& name, SLxFindData* record)
{
    if ((record->ptmCreation && !LX_TimeToLocalTm(status.tsCreation, record->ptmCreation)) ||
        (record->ptmLastAccess && !LX_TimeToLocalTm(status.tsLastAccess, record->ptmLastAccess)) ||
        (record->ptmLastWrite && !LX_TimeToLocalTm(status.tsLastWrite, record->ptmLastWrite)))
        return false;
    record->ui64Size = status.ui64Size;
    record->bDirectory = S_ISDIR(status.mode);
    LX_CopyText(name, record->wsFileName, LX_MAX_PATH);
    return true;
}

FindStep findNext(SLxFindContext& search, SLxFindData* record)
{
    while (const struct dirent* entry = readdir(search.dir)) {
        std::u16string name = LX_WidePath(entry->d_name);
        if (!matchesMask(search.mask.c_str(), name.c_str()))
            continue;
        if (!record)
            return kFound;
        std::string path = search.folder + entry->d_name;
        SLxFileStatus status;
        // A dangling link is still listed, with what the link itself says.
        if (!LX_StatFile(-1, path, &status)) {
            struct stat st;
            if (lstat(path.c_str(), &st) != 0)
                continue; // removed since it was listed
            status = {uint64_t(st.st_size), st.st_mtim, st.st_atim, st.st_mtim, st.st_mode};
        }
        return fillRecord(status, name, record) ? kFound : kBadTime;
    }
    return kNoMore;
}

} // namespace

int LX_FindFileFirst(const char16_t* pattern, LX_HFIND* handle, SLxFindData* record)
{
    if (!pattern || !handle)
        return -4;
    std::string path = LX_SystemPath(pattern);
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::u16string mask = LX_WidePath(path.substr(folder.size()));
    if (mask == u"*.*")
        mask.erase(1); // "*.*" matches every name, as "*" does
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return LX_FILE_E_FINDFIRST;
    auto* search = new (std::nothrow) SLxFindContext{dir, folder, mask};
    if (!search) {
        closedir(dir);
        return -3;
    }
    FindStep step = findNext(*search, record);
    if (step != kFound) {
        LX_FindFileClose(search);
        return step == kNoMore ? LX_FILE_E_FINDFIRST : -9;
    }
    *handle = search;
    return 0;
}

int LX_FindFileNext(LX_HFIND handle, SLxFindData* record)
{
    if (!handle)
        return LX_FILE_E_FINDNEXT;
    switch (findNext(*handle, record)) {
    case kFound:
        return 0;
    case kBadTime:
        return -9;
    default:
        return LX_FILE_E_FINDNEXT;
    }
}

int LX_FindFileClose(LX_HFIND handle)
{
    if (!handle)
        return LX_FILE_E_FINDCLOSE;
    closedir(handle->dir);
    delete handle;
    return 0;
}
