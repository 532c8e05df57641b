// Until the worker layer exists, nothing can run in the background: every
// submission is refused and there is nothing to cancel. The worker layer
// replaces this file.
#include "w32_system/LxAsyncIO.h"

int LX_SubmitAsyncRequest(const SLxAsyncRequest&)
{
    return -9;
}

int LX_CancelAsyncIO(LX_HFILE)
{
    return 0;
}
