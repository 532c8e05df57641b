// The holder of lists and records.
#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/debugging/LxDiag.h"

CLxVariantDataCLxListVariant::CLxVariantDataCLxListVariant() : m_runType(m_runTypeOrig) {}

CLxVariantDataCLxListVariant::CLxVariantDataCLxListVariant(const CLxVariantRunType& runType)
    : m_runType(runType)
{
}

CLxVariantDataCLxListVariant::CLxVariantDataCLxListVariant(const CLxListVariant& value)
    : m_value(value), m_runType(m_runTypeOrig)
{
}

bool CLxVariantDataCLxListVariant::Write(CLxStringW& text) const
{
    CLxListVariantLock lock;
    CLxStringW joined;
    for (int i = 0; i < m_value.Number(); ++i) {
        if (i)
            joined += u' ';
        CLxStringW member;
        if (m_value[i]->Write(member))
            joined += member;
    }
    text = joined;
    return true;
}

bool CLxVariantDataCLxListVariant::Read(const char16_t*)
{
    LX_DIAG_ASSERT_TEXT(u"true", u"TODO implement");
    return false;
}

bool CLxVariantDataCLxListVariant::IsEqual(const CLxVariantData& other) const
{
    if (!LX_VariantSameRunType(*this, other))
        return false;
    const CLxListVariant& theirs = static_cast<const CLxVariantDataCLxListVariant&>(other).m_value;
    CLxListVariantLock lock;
    if (m_value.Number() != theirs.Number())
        return false;
    for (int i = 0; i < m_value.Number(); ++i) {
        const CLxVariant& mine = *m_value[i];
        // Unnamed members pair by position, named ones by name.
        const CLxVariant* partner = nullptr;
        if (mine.GetName() == u"no_name") {
            partner = theirs[i];
        } else {
            for (int j = 0; j < theirs.Number() && !partner; ++j) {
                if (theirs[j]->GetName() == mine.GetName())
                    partner = theirs[j];
            }
        }
        if (!partner || !(mine == *partner))
            return false;
    }
    return true;
}

void CLxVariantDataCLxListVariant::GetValueCopy(CLxVariantData& target) const
{
    if (!LX_VariantSameRunType(*this, target)) {
        LX_DIAG_ASSERT_TEXT(
            u"(GetRunType() != data.GetRunType())",
            u"Error: CLxVariantDataCLxListVariant::GetValueCopy, can't get to this type of data!");
        return;
    }
    static_cast<CLxVariantDataCLxListVariant&>(target).m_value = m_value;
}

CLxVariantData* CLxVariantDataCLxListVariant::CreateNew() const
{
    if (m_runType == m_runTypeOrig)
        return new CLxVariantDataCLxListVariant();
    const CLxVariant& sample = CLxVariant::GetRunTypeSample(m_runType);
    bool isList = false;
    const CLxListVariant& members = sample.GetCLxListVariant(&isList);
    if (!isList)
        return nullptr;
    CLxVariantDataCLxListVariant* data = new CLxVariantDataCLxListVariant(m_runType);
    if (data)
        data->m_value = members;
    return data;
}

CLxVariantData* CLxVariantDataCLxListVariant::Clone() const
{
    CLxVariantDataCLxListVariant* data = new CLxVariantDataCLxListVariant(m_runType);
    if (data)
        data->m_value = m_value;
    return data;
}

int CLxVariantDataCLxListVariant::SetRunType(const CLxVariantRunType& runType)
{
    m_runType = runType;
    return 0;
}

bool CLxVariantDataCLxListVariant::IsArray() const
{
    return true;
}
