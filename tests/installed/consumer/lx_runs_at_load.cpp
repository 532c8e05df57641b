// Loads the library and uses a little of it: the file functions that take a
// std::atomic, a trace record, an assertion report and the probe catalogue.
// Exit 0 when all ran.
#include <atomic>
#include <cstdio>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/debugging/LxLogFile.h"
#include "w32_system/dynlib/LxDynLib.h"

int main()
{
    char16_t folder[1024];
    if (LX_GetTempPath(folder, 1024) != 0)
        return 1;
    // Linking these is the test; the missing files make them fail quietly.
    std::atomic<int> keepGoing{1};
    const char16_t* missing = u"/nonexistent-quelvix-folder/a";
    LX_CopyFile(missing, u"/nonexistent-quelvix-folder/b", true, &keepGoing, nullptr, 0);
    LX_MoveFile(missing, u"/nonexistent-quelvix-folder/b", true, &keepGoing, nullptr, 0);
    LX_ReplaceFile(missing, u"/nonexistent-quelvix-folder/b", nullptr, &keepGoing, nullptr, 0);
    LX_TRACE(u"lx_runs_at_load: detail log %d", int(CLxLogFile::Detail()));
    LX_DIAG_ASSERT_TEXT(u"false", u"a report from a user's program");
    // A report of the library itself, naming its source file.
    LX_GetSymbol(nullptr, "no_such_symbol");
    // The probe catalogue is made at start-up; left full, it goes at unload.
    if (CLxFluoProbeBase::Init(nullptr) != 0 || CLxFluoProbeBase::GetCount() != 240)
        return 1;
    std::puts("ran");
    return 0;
}
