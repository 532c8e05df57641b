// Shows what the SDK offers so far: a file written and read back through the
// file API, a trace record, and where the log file went.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/timer/LxTimer.h"

namespace {

std::string utf8(const char16_t* text)
{
    int n = LX_WChar2Char(text, -1, nullptr, 0);
    std::string out(size_t(n > 0 ? n : 1), '\0');
    LX_WChar2Char(text, -1, out.data(), int(out.size()));
    return out.c_str();
}

int fail(const char* what, int status)
{
    std::fprintf(stderr, "%s failed: %d\n", what, status);
    return EXIT_FAILURE;
}

} // namespace

int main()
{
    double start = LX_GetTimeCounter();

    char16_t path[1024];
    int status = LX_GetTempFileName(nullptr, u"quelvix_example$$$$.txt", true, path, 1024);
    if (status)
        return fail("LX_GetTempFileName", status);

    const char16_t text[] = u"Hello from quelvix, UTF-16 on disk.";
    LX_HFILE file;
    if ((status = LX_OpenFile(path, 1 | 2, 0, -1, &file)))
        return fail("LX_OpenFile", status);
    uint32_t moved = 0;
    LX_WriteFile(file, text, sizeof(text), &moved, nullptr);
    LX_SeekFile(file, 0, 0, 0);
    char16_t back[64] = {};
    LX_ReadFile(file, back, sizeof(back), &moved, nullptr);
    LX_CloseFile(file);
    LX_RemoveFile(path, false);

    std::printf("wrote and read %u bytes through %s:\n  %s\n", moved, utf8(path).c_str(),
                utf8(back).c_str());

    LX_TRACE(u"example: file round trip took |absdt| ms (%#.2f by the counter)",
             LX_GetTimeCounter() - start);
    const char16_t* log = CLxLogFile::GetLogFilename();
    std::printf("trace record written to the log file %s\n", log ? utf8(log).c_str() : "(none)");
    CLxLogFile::CloseLog();
    return EXIT_SUCCESS;
}
