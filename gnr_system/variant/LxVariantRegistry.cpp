// The process-wide run-type registry: registered samples and their indices.
//
// The registry lock is held only around look-ups and insertions of the map;
// samples are copied outside it, so it is never held while the list lock is
// taken (the list lock may in turn be held while a record's sample is looked
// up).
#include <climits>

#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{
// Existing and new definitions of one run type agree: the same member
// count; for a scalar the same run type; for lists each pair of members
// at the same position has the same shape one level deep. Names do not count.
bool compareStructure_Special(const CLxVariant& existing, const CLxVariant& sample)
{
    if (existing.GetCount() != sample.GetCount())
        return false;
    if (existing.GetCount() < 0)
        return existing.GetRunType() == sample.GetRunType();
    for (int i = 0; i < existing.GetCount(); ++i) {
        if (CLxVariant::CompareStructure(existing[i], sample[i], false) != 0)
            return false;
    }
    return true;
}

const CLxVariant& MissingSample()
{
    static const CLxVariant missing;
    return missing;
}
} // namespace

SLxRunTypeRegistry::~SLxRunTypeRegistry()
{
    for (auto& entry : entries)
        delete entry.second.sample;
}

int CLxVariant::RegisterKnownTypes()
{
    const CLxStringW noName;
    const CLxVariant samples[] = {
        CLxVariant(),
        CLxVariant(0, noName),
        CLxVariant(0u, noName),
        CLxVariant(lx_int64(0), noName),
        CLxVariant(lx_uint64(0), noName),
        CLxVariant(0.0, noName),
        CLxVariant(false, noName),
        CLxVariant(static_cast<void*>(nullptr), noName),
        CLxVariant(CLxStringW(), noName),
        CLxVariant(CLxByteArray(1024), noName),
        CLxVariant(CLxListVariant(), noName),
    };
    for (int kind = 0; kind < eLxVariantKindCount; ++kind) {
        CLxVariant sample(samples[kind]);
        sample.m_name = CLxVariantRunType::Builtin(ELxVariantKind(kind)).GetName();
        RegisterRunType(sample);
    }
    return 0;
}

int CLxVariant::RegisterRunType(const CLxVariant& sample)
{
    CLxStringA name(sample.GetName().GetString());
    CLxVariantRunType runType(name);
    CLxVariant* stored = new CLxVariant(sample);
    if (!stored)
        return -3;

    const CLxVariant* existing = nullptr;
    {
        CLxMutexCSLock lock(&SLxRunTypeRegistry::ms_cs);
        SLxRunTypeRegistry& registry = g_lxRunTypeRegistry;
        auto found = registry.entries.find(runType);
        if (found == registry.entries.end()) {
            // A list becomes a record of this run type; a scalar keeps its
            // own (its holder reports another name).
            if (stored->m_pData)
                stored->m_pData->SetRunType(runType);
            registry.entries.emplace(runType, SLxRunTypeEntry{stored, registry.nextIndex++});
            return 0;
        }
        existing = found->second.sample;
    }
    delete stored;
    // Registered samples never change, so the test needs no lock.
    if (!compareStructure_Special(*existing, sample)) {
        LX_DIAG_ASSERT_TEXT(u"compareStructure_Special(((*lMapIter).second).first, sample)",
                            u"Error: same Runtype already registered with different definition!");
        return -9;
    }
    return 0;
}

const CLxVariant& CLxVariant::GetRunTypeSample(const CLxVariantRunType& runType)
{
    {
        CLxMutexCSLock lock(&SLxRunTypeRegistry::ms_cs);
        auto found = g_lxRunTypeRegistry.entries.find(runType);
        if (found != g_lxRunTypeRegistry.entries.end())
            return *found->second.sample;
    }
    CLxStringW message;
    message.Format(u"Error: CLxVariant::GetRunTypeSample(), can't find: '%.511hs' runtype!",
                   runType.GetName().GetString());
    LX_DIAG_ASSERT_TEXT(u"true", message.GetString());
    return MissingSample();
}

unsigned int CLxVariant::GetRunTypeIndex(const CLxVariantRunType& runType, bool report)
{
    {
        CLxMutexCSLock lock(&SLxRunTypeRegistry::ms_cs);
        auto found = g_lxRunTypeRegistry.entries.find(runType);
        if (found != g_lxRunTypeRegistry.entries.end())
            return found->second.index;
    }
    if (report) {
        CLxStringW message;
        message.Format(u"Error: CLxVariant::GetRunTypeIndex(), can't find: '%.511hs' runtype!",
                       runType.GetName().GetString());
        LX_DIAG_ASSERT_TEXT(u"true", message.GetString());
    }
    return UINT_MAX;
}
