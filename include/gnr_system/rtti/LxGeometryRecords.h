// The variant form of points, sizes and rectangles: records registered at
// start-up (members in order, all 0 by default):
//
//   "RLxIPoint", "RLxDPoint"  x, y
//   "RLxISize",  "RLxDSize"   cx, cy
//   "RLxIRect",  "RLxDRect"   left, top, right, bottom
//
// The I records hold "lx_int32" members, the D records "double" members.
#pragma once

#include <cstddef>
#include <type_traits>

#include "gnr_system/geometry/LxGeometry.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxExport.h"

// Registers the six run types (once; later calls do nothing). 0, or -9 when
// a run type of one of these names with another shape was registered first.
LX_EXPORT int LX_RegisterGeometryRunTypes();

namespace lx_geometry_record
{

// Run type and members of the record of each geometry value.
template <class G> struct SLayout;

template <class T> struct SLayout<CLxPointBase<T>> {
    static constexpr const char* kRunType = std::is_same_v<T, int> ? "RLxIPoint" : "RLxDPoint";
    static constexpr size_t kCount = 2;
    static constexpr const char16_t* kNames[kCount] = {u"x", u"y"};
    static constexpr T CLxPointBase<T>::*kMembers[kCount] = {&CLxPointBase<T>::x,
                                                             &CLxPointBase<T>::y};
};

template <class T> struct SLayout<CLxSizeBase<T>> {
    static constexpr const char* kRunType = std::is_same_v<T, int> ? "RLxISize" : "RLxDSize";
    static constexpr size_t kCount = 2;
    static constexpr const char16_t* kNames[kCount] = {u"cx", u"cy"};
    static constexpr T CLxSizeBase<T>::*kMembers[kCount] = {&CLxSizeBase<T>::cx,
                                                            &CLxSizeBase<T>::cy};
};

template <class T> struct SLayout<CLxRectBase<T>> {
    static constexpr const char* kRunType = std::is_same_v<T, int> ? "RLxIRect" : "RLxDRect";
    static constexpr size_t kCount = 4;
    static constexpr const char16_t* kNames[kCount] = {u"left", u"top", u"right", u"bottom"};
    static constexpr T CLxRectBase<T>::*kMembers[kCount] = {
        &CLxRectBase<T>::left, &CLxRectBase<T>::top, &CLxRectBase<T>::right,
        &CLxRectBase<T>::bottom};
};

inline void Get(const CLxVariant& member, int& value)
{
    value = member.GetLx_int32();
}
inline void Get(const CLxVariant& member, double& value)
{
    value = member.GetDouble();
}

} // namespace lx_geometry_record

// Makes out the record of the value (its name stays; type change is allowed
// for the call and then set back). 0, or the error of CLxVariant::SetRunType.
template <class G> int LX_GeometryToVariant(CLxVariant& out, const G& value)
{
    using Layout = lx_geometry_record::SLayout<G>;
    const bool typeChange = out.EnableTypeChange(true);
    int result = out.SetRunType(CLxVariantRunType(Layout::kRunType));
    if (result == 0) {
        for (size_t i = 0; i < Layout::kCount; ++i)
            out[Layout::kNames[i]] = value.*Layout::kMembers[i];
    }
    out.EnableTypeChange(typeChange);
    return result;
}

// Reads the value from a record of its run type. 0; -4 when in has another
// run type (value unchanged).
template <class G> int LX_GeometryFromVariant(G& value, const CLxVariant& in)
{
    using Layout = lx_geometry_record::SLayout<G>;
    if (in.GetRunType() != CLxVariantRunType(Layout::kRunType))
        return -4;
    for (size_t i = 0; i < Layout::kCount; ++i)
        lx_geometry_record::Get(in[Layout::kNames[i]], value.*Layout::kMembers[i]);
    return 0;
}
