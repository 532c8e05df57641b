// The probe catalogue: start-up and shutdown, lookups, groups and filter
// assignments. Every public member takes the catalogue's lock; the private
// ones run under the lock their caller holds.
#include "gnr_metaformats/LxFluoProbeBase.h"

#include <algorithm>
#include <new>

#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "gnr_metaformats/LxMetaformats.h"

pthread_rwlock_t g_LxFluoProbeBaseLock = PTHREAD_RWLOCK_INITIALIZER;

CLxFluoProbeBaseVector* CLxFluoProbeBase::m_sVector = nullptr;

const uint32_t CLxFluoProbeBase::m_uiGroupCount = 12;
const char16_t CLxFluoProbeBase::m_wsGroupNames[12][32] = {
    u"Unsorted",     u"Alexa Fluors",   u"Cyanine Dyes",
    u"Tracker Dyes", u"SYTO Dyes",      u"Fluorescent Proteins",
    u"QDots",        u"BODIPY Dyes",    u"Nucleic Acid Stains",
    u"Spectrums",    u"LIVE/DEAD Kits", u"Beads",
};

CLxFluoProbeBaseItem::CLxFluoProbeBaseItem() : szAbbrev{}, uiGroup(0) {}

CLxFluoProbeBase::~CLxFluoProbeBase() = default;

namespace
{

// The item at index, or null for a bad index (also outside the library's
// lifetime).
CLxFluoProbeBaseItem* ItemAt(uint32_t index)
{
    CLxFluoProbeBaseVector* v = CLxFluoProbeBaseVector::Get();
    return v && index < v->aItems.size() ? &v->aItems[index] : nullptr;
}

// The first item whose name begins with the query.
int Match(const CLxStringW& query, uint32_t& index)
{
    index = 0;
    CLxFluoProbeBaseVector* v = CLxFluoProbeBaseVector::Get();
    if (!v)
        return -13;
    const size_t n = size_t(query.GetLength());
    for (const CLxFluoProbeBaseItem& item : v->aItems) {
        const CLxStringW& name = item.sProbe.m_sName;
        if (size_t(name.GetLength()) >= n &&
            std::equal(query.GetString(), query.GetString() + n, name.GetString()))
            return 0;
        ++index;
    }
    return -13;
}

} // namespace

void LX_FluoProbeBaseAttach()
{
    CLxFluoProbeWriteLock lock;
    if (!CLxFluoProbeBaseVector::Get())
        CLxFluoProbeBaseVector::Set(new (std::nothrow) CLxFluoProbeBaseVector);
}

void LX_FluoProbeBaseDetach()
{
    CLxFluoProbeWriteLock lock;
    delete CLxFluoProbeBaseVector::Get();
    CLxFluoProbeBaseVector::Set(nullptr);
}

void LX_FluoProbeBaseResetForTests()
{
    LX_FluoProbeBaseDetach();
    LX_FluoProbeBaseAttach();
}

int CLxFluoProbeBase::Init(const char16_t* folder)
{
    CLxFluoProbeWriteLock lock;
    CLxFluoProbeBaseVector* v = m_sVector;
    if (!v)
        return -3;
    if (!v->bPredefined) {
        const size_t before = v->aItems.size();
        try {
            InitPredefined();
            v->bPredefined = true;
        } catch (const std::bad_alloc&) {
            v->aItems.resize(before); // never a partial table
            return -3;
        }
    }
    return folder ? SearchForFiles(folder) : 0;
}

uint32_t CLxFluoProbeBase::GetCount()
{
    CLxFluoProbeReadLock lock;
    CLxFluoProbeBaseVector* v = m_sVector;
    return v ? uint32_t(v->aItems.size()) : 0;
}

int CLxFluoProbeBase::GetProbeName(uint32_t index, CLxStringW& out, bool abbreviation)
{
    CLxFluoProbeReadLock lock;
    const CLxFluoProbeBaseItem* item = ItemAt(index);
    if (!item)
        return -4;
    if (abbreviation)
        out = item->szAbbrev;
    else
        out = item->sProbe.m_sName;
    return 0;
}

int CLxFluoProbeBase::GetProbeName(uint32_t index, CLxStringW& name, CLxStringW& abbreviation,
                                   CLxStringW& groupName)
{
    CLxFluoProbeReadLock lock;
    const CLxFluoProbeBaseItem* item = ItemAt(index);
    if (!item)
        return -4;
    name = item->sProbe.m_sName;
    abbreviation = item->szAbbrev;
    groupName = m_wsGroupNames[item->uiGroup < m_uiGroupCount ? item->uiGroup : 0];
    return 0;
}

int CLxFluoProbeBase::GetProbe(uint32_t index, CLxFluorescentProbe& out)
{
    CLxFluoProbeReadLock lock;
    const CLxFluoProbeBaseItem* item = ItemAt(index);
    if (!item)
        return -4;
    out = item->sProbe;
    return 0;
}

int CLxFluoProbeBase::MatchProbeName(CLxStringW query, uint32_t& index)
{
    CLxFluoProbeReadLock lock;
    return Match(query, index);
}

CLxStringW& CLxFluoProbeBase::GetAbbreviation(CLxStringW query, CLxStringW& out)
{
    CLxFluoProbeReadLock lock;
    uint32_t index = 0;
    if (Match(query, index) == 0)
        out = ItemAt(index)->szAbbrev;
    else
        out = query;
    return out;
}

uint32_t CLxFluoProbeBase::GetGroupCount()
{
    return m_uiGroupCount;
}

int CLxFluoProbeBase::GetGroupName(uint32_t group, CLxStringW& out)
{
    if (group >= m_uiGroupCount)
        return -4;
    out = m_wsGroupNames[group];
    return 0;
}

uint32_t CLxFluoProbeBase::GetProbeCountInGroup(uint32_t group)
{
    CLxFluoProbeReadLock lock;
    CLxFluoProbeBaseVector* v = m_sVector;
    if (!v)
        return 0;
    return uint32_t(
        std::count_if(v->aItems.begin(), v->aItems.end(),
                      [group](const CLxFluoProbeBaseItem& i) { return i.uiGroup == group; }));
}

int CLxFluoProbeBase::AssignFilter(uint32_t index, const CLxStringW& filter, bool ensure)
{
    CLxFluoProbeWriteLock lock;
    CLxFluoProbeBaseItem* item = ItemAt(index);
    if (!item)
        return -4;
    std::vector<CLxStringW>& names = item->aAssignedFilters;
    auto found = std::find(names.begin(), names.end(), filter);
    if (found != names.end()) {
        if (!ensure)
            names.erase(found);
        return 0;
    }
    try {
        names.push_back(filter);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    return 0;
}

bool CLxFluoProbeBase::IsFilterAssigned(uint32_t index, const CLxStringW& filter)
{
    CLxFluoProbeReadLock lock;
    const CLxFluoProbeBaseItem* item = ItemAt(index);
    return item && std::find(item->aAssignedFilters.begin(), item->aAssignedFilters.end(),
                             filter) != item->aAssignedFilters.end();
}

uint32_t CLxFluoProbeBase::GetAssignedFilterCount(uint32_t index)
{
    CLxFluoProbeReadLock lock;
    const CLxFluoProbeBaseItem* item = ItemAt(index);
    return item ? uint32_t(item->aAssignedFilters.size()) : 0;
}

int CLxFluoProbeBase::GetAssignedFilterCount(uint32_t index, uint32_t position, CLxStringW& out)
{
    CLxFluoProbeReadLock lock;
    const CLxFluoProbeBaseItem* item = ItemAt(index);
    if (!item || position >= item->aAssignedFilters.size())
        return -4;
    out = item->aAssignedFilters[position];
    return 0;
}
