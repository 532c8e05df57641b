// libFuzzer target for the record loaders over variant trees of any shape
// and member types: the input is read as variant XML (UTF-8), and every node
// of the tree is offered to every loader. Loaders refuse, or take what
// converts; none may crash. Refused getters report through the assertion
// layer, whose outlets are off here.
#include <cstdlib>

#include "fuzz_support.h"
#include "gnr_picture/lut/LxLutParam.h"
#include "gnr_system/geometry/LxEllipse.h"
#include "gnr_system/geometry/LxGeometry.h"
#include "gnr_system/rtti/LxGeometryRecords.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/time/LxDateTime.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{

void OfferToLoaders(const CLxVariant& node)
{
    SLxLutParam lut;
    SLxLutParam::LoadFromVariant(lut, node);
    SLxRatioDesc ratio;
    SLxRatioDesc::LoadFromVariant(ratio, node);
    CLxDateTime date;
    date.LoadFromVariant(node);
    CLxPointBase<int> ipoint;
    LX_GeometryFromVariant(ipoint, node);
    CLxPointBase<double> dpoint;
    LX_GeometryFromVariant(dpoint, node);
    CLxSizeBase<int> isize;
    LX_GeometryFromVariant(isize, node);
    CLxSizeBase<double> dsize;
    LX_GeometryFromVariant(dsize, node);
    CLxRectBase<int> irect;
    LX_GeometryFromVariant(irect, node);
    CLxRectBase<double> drect;
    LX_GeometryFromVariant(drect, node);
}

void Walk(const CLxVariant& node, int depth)
{
    OfferToLoaders(node);
    if (depth > 32)
        return;
    const int count = node.GetCount();
    for (int i = 0; i < count; ++i)
        if (const CLxVariant* member = node.IndexPtr(i))
            Walk(*member, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    CLxVariant tree;
    if (CLxXMLAPI::VariantFromXML_UTF8(tree, reinterpret_cast<const char*>(data), size) == 0)
        Walk(tree, 0);
    return 0;
}
