#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"

void LX_NormalizeJp2ExperimentVariant(CLxVariant& variant)
{
    const char16_t* const items[] = {u"vMetadata", u"vUnknownData"};
    bool missing = false;
    for (const char16_t* name : items)
        missing = missing || !variant.SearchFixedOneLevel(name);
    if (!missing)
        return;
    const bool previous = variant.EnableTypeChange(true);
    const CLxVariantRunType list(CLxStringA("CLxListVariant"));
    // A record keeps its members as a plain list; a value has none to keep.
    if (variant.GetRunType() != list && variant.GetCount() < 0)
        variant.MakeNull();
    for (const char16_t* name : items)
        if (!variant.SearchFixedOneLevel(name))
            variant.Append(CLxVariant(list, CLxStringW(name)));
    variant.EnableTypeChange(previous);
}
