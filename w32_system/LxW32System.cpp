// The platform layer's attach and detach step.
#include "w32_system/LxW32System.h"

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
