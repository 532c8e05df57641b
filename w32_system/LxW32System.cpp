// The platform layer's attach and detach step, and the library's entry: the
// load and unload functions that run the attach and detach steps of every
// part of the library.
#include "w32_system/LxW32System.h"

#include "gnr_metaformats/LxMetaformats.h"
#include "gnr_picture/LxPicLibTables.h"
#include "gnr_system/LxGnrSystem.h"
#include "w32_system/LxAsyncIO.h"
#include "w32_system/timer/LxTimerAttach.h"

bool LX_W32SystemAttachDetach(LX_HMODULE, uint32_t reason, void*)
{
    bool result = true;
    if (reason == LX_PROCESS_ATTACH)
        result = LX_AsyncIOAttach();
    else if (reason == LX_PROCESS_DETACH)
        LX_AsyncIODetach();

    if (reason == LX_PROCESS_DETACH)
        LX_TimerDetach();
    if (reason == LX_PROCESS_ATTACH)
        LX_TimerAttach();
    return result;
}

namespace
{

// The order of these functions against the static initialisers of the
// library's other files is not fixed, so every step also works before its
// attach has run. The results are not acted on.
__attribute__((constructor)) void libraryLoaded()
{
    LX_W32SystemAttachDetach(nullptr, LX_PROCESS_ATTACH, nullptr);
    GnrSystem_DllAttach();
    LX_GnrPictureAttach();
    LX_GnrMetaformatsAttach();
}

__attribute__((destructor)) void libraryUnloading()
{
    LX_W32SystemAttachDetach(nullptr, LX_PROCESS_DETACH, nullptr);
    LX_GnrPictureDetach();
}

} // namespace
