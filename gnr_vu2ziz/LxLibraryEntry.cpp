// The library's entry: the load and unload functions that run the attach and
// detach steps of every part of the library, in the order of building.
//
// This file is linked after every other object of the library (see
// CMakeLists.txt), so its load function runs after the static initialisers
// of all of them.
#include "gnr_metaformats/LxMetaformats.h"
#include "gnr_picture/LxPicLibTables.h"
#include "gnr_system/LxGnrSystemAttach.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"
#include "w32_system/LxW32System.h"

namespace
{

struct SLxAttachStep {
    void (*attach)();
    void (*detach)(); // null: nothing to undo
};

// One row per part of the library, in the order of building: a part may use
// the parts above it from its attach on. The results are not acted on.
const SLxAttachStep kAttachSteps[] = {
    {[] { LX_W32SystemAttachDetach(nullptr, LX_PROCESS_ATTACH, nullptr); },
     [] { LX_W32SystemAttachDetach(nullptr, LX_PROCESS_DETACH, nullptr); }},
    {[] { GnrSystem_DllAttach(); }, nullptr},
    {[] { LX_GnrPictureAttach(); }, [] { LX_GnrPictureDetach(); }},
    {[] { LX_GnrMetaformatsAttach(); }, nullptr},
    {[] { LX_FluoProbeBaseAttach(); }, [] { LX_FluoProbeBaseDetach(); }},
    {[] { LX_InitJp2ErrorHandler(); }, nullptr},
};

__attribute__((constructor)) void libraryLoaded()
{
    for (const SLxAttachStep& step : kAttachSteps)
        step.attach();
}

// The platform's detach first, as on attach: it ends the background
// workers before anything they might use goes away.
__attribute__((destructor)) void libraryUnloading()
{
    for (const SLxAttachStep& step : kAttachSteps)
        if (step.detach)
            step.detach();
}

} // namespace
