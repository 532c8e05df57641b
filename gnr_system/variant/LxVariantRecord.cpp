// Records: shapes, building lists and records, and run-type changes.
#include "gnr_system/variant/LxVariantInternal.h"

namespace
{
// Gives a value of the sample's shape the sample's run types and member
// names, keeping its values.
void Relabel(CLxVariant& value, const CLxVariant& sample)
{
    CLxVariantData* data = value.GetData();
    if (!data || !data->IsArray())
        return;
    data->SetRunType(sample.GetRunType());
    for (int i = 0; i < value.GetCount(); ++i) {
        CLxVariant& member = value[i];
        member.SetName(sample[i].GetName());
        Relabel(member, sample[i]);
    }
}

// Fills the sample's members from the members of the same names in source.
void FillFrom(CLxVariant& sample, const CLxVariant& source)
{
    for (int i = 0; i < sample.GetCount(); ++i) {
        CLxVariant& target = sample[i];
        const CLxVariant* found = source.SearchFixedOneLevel(target.GetName().GetString());
        if (!found)
            continue;
        if (target.GetCount() > 0 && found->GetCount() > 0)
            FillFrom(target, *found);
        else if (target.GetRunType() == found->GetRunType())
            target = *found;
    }
}
} // namespace

int CLxVariant::CompareStructure(const CLxVariant& a, const CLxVariant& b, bool deep)
{
    CLxListVariantLock lock;
    int count = a.GetCount();
    if (count != b.GetCount())
        return -1;
    if (count < 0 || !deep)
        return a.GetRunType() == b.GetRunType() ? 0 : -1;
    for (int i = 0; i < count; ++i) {
        if (CompareStructure(a[i], b[i], deep) != 0)
            return -1;
    }
    return 0;
}

CLxVariant CLxVariant::CreateStructFrom(const CLxStringW& name, const CLxVariant* const* members,
                                        size_t count)
{
    CLxVariant result;
    result.m_pData = new CLxVariantDataCLxListVariant();
    for (size_t i = 0; i < count && members[i] && !members[i]->IsNull(); ++i)
        result.Append(*members[i]);
    result.SetName(name);
    return result;
}

CLxVariant CLxVariant::CreateStructNamedFrom(const CLxVariantRunType& runType,
                                             const CLxStringW& name,
                                             const CLxVariant* const* members, size_t count)
{
    CLxVariant result(runType, name);
    for (size_t i = 0; i < count && members[i] && !members[i]->IsNull(); ++i)
        result[members[i]->GetName().GetString()] = *members[i];
    return result;
}

int CLxVariant::SetRunType(const CLxVariantRunType& runType)
{
    if (GetRunType() == runType)
        return 0;
    if (!m_enabledTypeChange)
        return -9;
    CLxVariant sample(runType, CLxStringW());
    if (sample.IsNull())
        return -4;
    if (CompareStructure(*this, sample, true) == 0)
        Relabel(*this, sample);
    else
        *this = sample;
    return 0;
}

int CLxVariant::SetRunTypeCompatible(const CLxVariantRunType& runType)
{
    if (GetRunType() == runType)
        return 0;
    if (!m_enabledTypeChange)
        return -9;
    CLxVariant sample(runType, CLxStringW());
    if (sample.IsNull())
        return -4;
    if (CompareStructure(*this, sample, true) == 0) {
        Relabel(*this, sample);
        return 0;
    }
    FillFrom(sample, *this);
    *this = sample;
    return 0;
}
