// The JPEG 2000 format class's entry in the library's class index, one step
// below the native format in priority.
#include "gnr_system/rtti/LxCatalogSection.h"

LX_DECLARE_CLASS(
    kImageFormatJP2Class,
    lx_catalog::ClassDecl("CLxImageFormatJP2").Interface("ILxImageFormat").Rank(1, "00.89.00.00"))
