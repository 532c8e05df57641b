#include "gnr_metaformats/LxMetaformats.h"

#include "gnr_metaformats/LxMetaRunTypesInternal.h"

int LX_GnrMetaformatsAttach()
{
    const int result = LX_RegisterMetaRunTypes();
    LX_TranslateEventDescriptions();
    return result;
}
