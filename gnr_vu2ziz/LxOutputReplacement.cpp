#include "gnr_vu2ziz/LxOutputReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "w32_system/LxFileInternal.h"

namespace
{

constexpr int kNameTries = 100;

std::string RandomLetters(std::mt19937& random)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string out(6, 'x');
    for (char& c : out)
        c = kLetters[pick(random)];
    return out;
}

} // namespace

bool LX_BeginOutputReplacement(const char16_t* path, SLxOutputReplacement& replacement,
                               std::u16string& writerPath)
{
    replacement = SLxOutputReplacement();
    if (!path)
        return false;
    // A link is replaced through its target: the rename must stay within
    // the target's folder, and the link goes on naming the new document.
    char* resolved = realpath(LX_SystemPath(path).c_str(), nullptr);
    if (!resolved)
        return false;
    const std::string target(resolved);
    std::free(resolved);
    struct stat st = {};
    if (stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0)
        return false;

    const size_t slash = target.find_last_of('/');
    const std::string name = target.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? std::string() : name.substr(dot);
    const std::string prefix = target.substr(0, slash + 1) + stem + ".partial-";

    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string temporary = prefix + RandomLetters(random) + extension;
        const int fd =
            open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        // The umask may have narrowed the mode: the new document keeps the
        // old file's.
        const bool moded = fchmod(fd, st.st_mode & 0777) == 0;
        close(fd);
        if (!moded) {
            unlink(temporary.c_str());
            return false;
        }
        replacement.sTarget = target;
        replacement.sTemporary = temporary;
        writerPath = LX_WidePath(temporary);
        return true;
    }
    return false;
}

bool LX_CommitOutputReplacement(const SLxOutputReplacement& replacement)
{
    return replacement.Active() &&
           rename(replacement.sTemporary.c_str(), replacement.sTarget.c_str()) == 0;
}

void LX_AbandonOutputReplacement(const SLxOutputReplacement& replacement)
{
    if (replacement.Active())
        unlink(replacement.sTemporary.c_str());
}
