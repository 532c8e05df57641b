// The record run types of the class registry.
#include "gnr_system/rtti/LxRttiRecords.h"

#include <initializer_list>

#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"

namespace
{

CLxVariant TextMember(const char16_t* name)
{
    return CLxVariant(CLxStringW(), CLxStringW(name));
}

CLxVariant ListMember(const char16_t* name)
{
    return CLxVariant(CLxListVariant(), CLxStringW(name));
}

// A sample is a plain list named after its run type.
int Register(const char16_t* runType, std::initializer_list<CLxVariant> members)
{
    CLxVariant sample{CLxListVariant(), CLxStringW(runType)};
    for (const CLxVariant& member : members)
        sample.Append(member);
    return CLxVariant::RegisterRunType(sample);
}

int RegisterAll()
{
    int result =
        Register(u"" LX_RUNTYPE_RTTI_CLASS,
                 {TextMember(u"m_parent1"), TextMember(u"m_parent2"), TextMember(u"m_parent3"),
                  TextMember(u"m_parent4"), TextMember(u"m_parent5"), TextMember(u"m_parent6"),
                  TextMember(u"m_parent7"), TextMember(u"m_parent8"), TextMember(u"m_parent9"),
                  ListMember(u"m_additional")});
    result |= Register(u"" LX_RUNTYPE_RTTI_CLASS_DESC,
                       {CLxVariant(1, CLxStringW(u"m_version")), TextMember(u"m_shortName"),
                        TextMember(u"m_fullName")});
    // Needs "RLxRttiClass" for its first member.
    result |=
        Register(u"" LX_RUNTYPE_RTTI_CACHE_ENTRY,
                 {CLxVariant(CLxVariantRunType(LX_RUNTYPE_RTTI_CLASS), CLxStringW(u"m_class")),
                  CLxVariant(static_cast<void*>(nullptr), CLxStringW(u"m_creator")),
                  TextMember(u"m_library"), ListMember(u"m_addInfo")});
    return result ? -9 : 0;
}

// Registered at start-up, before any module asks the registry for a class.
const int s_registered = LX_RegisterRttiRunTypes();

} // namespace

int LX_RegisterRttiRunTypes()
{
    static const int result = RegisterAll();
    return result;
}
