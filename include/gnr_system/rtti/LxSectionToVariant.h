// Reading a module's catalog sections (LxCatalogSection.h) into variants.
#pragma once

#include "gnr_system/string/LxStringFwd.h"
#include "w32_system/LxExport.h"

class CLxVariant;

// Reads the named section of the module file (without loading the module)
// and makes out a list with one child per UTF-16 text of the section, in
// section order: the text parsed as variant XML, or, when it is no variant
// XML, a "CLxStringW" child named "USER" that holds the raw text. Zero units
// between texts are skipped; a last text that runs to the end of the section
// without a zero unit is taken up to the end, and an odd last byte is
// ignored. The section name is matched without regard to ASCII case.
//
// 0 done (a section without texts gives an empty list);
// -7 the file cannot be opened;
// -9 no such section, the file is no module, or the XML serializer cannot be
//    made;
// -4 an empty file name, or a null or empty section name (reported).
// On failure out is left as it was. out's type-change setting is kept.
LX_EXPORT int LX_SectionToVariant(CLxVariant& out, const CLxStringW& moduleFile,
                                  const char* sectionName);
