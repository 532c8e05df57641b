// The geometry records.
#include "gnr_system/rtti/LxGeometryRecords.h"

namespace
{

// The sample of a geometry record: the default value's members, in order.
template <class G> int Register()
{
    using Layout = lx_geometry_record::SLayout<G>;
    const G zero;
    CLxVariant sample{CLxListVariant(), CLxStringW(Layout::kRunType)};
    for (size_t i = 0; i < Layout::kCount; ++i)
        sample.Append(CLxVariant(zero.*Layout::kMembers[i], CLxStringW(Layout::kNames[i])));
    return CLxVariant::RegisterRunType(sample);
}

int RegisterAll()
{
    const int results[] = {
        Register<CLxPointBase<int>>(), Register<CLxPointBase<double>>(),
        Register<CLxSizeBase<int>>(),  Register<CLxSizeBase<double>>(),
        Register<CLxRectBase<int>>(),  Register<CLxRectBase<double>>(),
    };
    for (int result : results) {
        if (result != 0)
            return -9;
    }
    return 0;
}

const int s_registered = LX_RegisterGeometryRunTypes();

} // namespace

int LX_RegisterGeometryRunTypes()
{
    static const int result = RegisterAll();
    return result;
}
