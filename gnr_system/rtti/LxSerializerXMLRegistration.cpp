// The XML serializer's entry in the library's class index, so that it can be
// made by class name.
#include "gnr_system/rtti/LxCatalogSection.h"

LX_DECLARE_CLASS(kSerializerXMLStringClass,
                 lx_catalog::ClassDecl("CLxSerializerXMLString").Interface("ILxSerializer"))
