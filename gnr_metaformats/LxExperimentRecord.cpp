#include "gnr_metaformats/LxExperimentRecord.h"

#include <new>

#include "gnr_metaformats/LxMetaRunTypesInternal.h"
#include "gnr_metaformats/LxRecordVariant.h"
#include "gnr_system/intl/LxLocale.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

constexpr char kDomain[] = "qvx\\gnr_metaformats\\ExperimentRecord";

// The English names; constant-initialised, so they hold before start-up.
const char16_t* const kEventNames[SLxExperimentEvent::eDescriptionCount] = {
    u"Unknown",
    u"Autofocus",
    u"User 1",
    u"User 2",
    u"User 3",
    u"User 4",
    u"Unknown",
    u"Command Executed",
    u"Unknown",
    u"Experiment Paused",
    u"Experiment Resumed",
    u"Experiment Stopped by User",
    u"Unknown",
    u"Next Phase Moved by User",
    u"Experiment Paused for Refocusing",
    u"Stimulation",
};

SLxExperimentEvent* NewEvent(const SLxExperimentEvent& from)
{
    void* block = CLxAlloc::Alloc(0, sizeof(SLxExperimentEvent));
    return block ? new (block) SLxExperimentEvent(from) : nullptr;
}

void DeleteEvent(SLxExperimentEvent* event)
{
    if (!event)
        return;
    event->~SLxExperimentEvent();
    CLxAlloc::Free(event);
}

// The link that ends the list (where a new event goes).
SLxExperimentEvent** LastLink(SLxExperimentRecord& record)
{
    SLxExperimentEvent** link = &record.pFirstEvent;
    while (*link)
        link = &(*link)->pNext;
    return link;
}

SLxExperimentEvent* Find(const SLxExperimentRecord& record, uint32_t id)
{
    for (SLxExperimentEvent* e = record.pFirstEvent; e; e = e->pNext) {
        if (e->uiID == id)
            return e;
    }
    return nullptr;
}

} // namespace

const char16_t* SLxExperimentEvent::_pDescription[eDescriptionCount] = {
    kEventNames[0],  kEventNames[1],  kEventNames[2],  kEventNames[3],
    kEventNames[4],  kEventNames[5],  kEventNames[6],  kEventNames[7],
    kEventNames[8],  kEventNames[9],  kEventNames[10], kEventNames[11],
    kEventNames[12], kEventNames[13], kEventNames[14], kEventNames[15],
};

void LX_TranslateEventDescriptions()
{
    for (int i = 1; i < SLxExperimentEvent::eDescriptionCount; ++i)
        SLxExperimentEvent::_pDescription[i] = LX_GetTranslation(kEventNames[i], kDomain);
}

SLxExperimentEvent::SLxExperimentEvent() : dTime(0.0), eMeaning(0), uiID(0), pNext(nullptr) {}

int SLxExperimentEvent::SaveToVariant(CLxVariant& v, const SLxExperimentEvent& event)
{
    const int begin = lx_meta::BeginSave(v, "RLxExperimentEvent");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"dTime", event.dTime);
    lx_meta::Put(v, u"eMeaning", lx_uint32(event.eMeaning));
    lx_meta::Put(v, u"wsDescription", event.wsDescription);
    lx_meta::Put(v, u"wsData", event.wsData);
    lx_meta::Put(v, u"uiID", lx_uint32(event.uiID));
    return 0;
}

int SLxExperimentEvent::LoadFromVariant(SLxExperimentEvent& event, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxExperimentEvent", u"'RLxExperimentEvent'"))
        return -4;
    event.dTime = lx_meta::GetDouble(v, u"dTime");
    event.eMeaning = lx_meta::GetUInt(v, u"eMeaning");
    event.wsDescription = lx_meta::GetText(v, u"wsDescription");
    event.wsData = lx_meta::GetText(v, u"wsData");
    event.uiID = lx_meta::GetUInt(v, u"uiID");
    return 0;
}

void SLxExperimentRecord::Free(SLxExperimentRecord& record)
{
    SLxExperimentEvent* e = record.pFirstEvent;
    record.pFirstEvent = nullptr;
    while (e) {
        SLxExperimentEvent* next = e->pNext;
        DeleteEvent(e);
        e = next;
    }
}

int SLxExperimentRecord::Copy(SLxExperimentRecord& dst, const SLxExperimentRecord& src)
{
    // Counted first: copying a record onto itself must stop before the
    // copies it appends.
    size_t count = 0;
    for (const SLxExperimentEvent* e = src.pFirstEvent; e; e = e->pNext)
        ++count;
    int result = 0;
    const SLxExperimentEvent* e = src.pFirstEvent;
    for (size_t i = 0; i < count; ++i, e = e->pNext) {
        if (AddEvent(dst, *e) == 0)
            result = -3;
    }
    return result;
}

int SLxExperimentRecord::GetEvent(const SLxExperimentRecord& record, uint32_t id,
                                  SLxExperimentEvent& event)
{
    const SLxExperimentEvent* found = Find(record, id);
    if (!found)
        return -9;
    event = *found;
    return 0;
}

int SLxExperimentRecord::SetEvent(SLxExperimentRecord& record, uint32_t id,
                                  const SLxExperimentEvent& event)
{
    SLxExperimentEvent* found = Find(record, id);
    if (!found)
        return -9;
    found->dTime = event.dTime;
    found->eMeaning = event.eMeaning;
    found->wsDescription = event.wsDescription;
    found->wsData = event.wsData;
    found->uiID = event.uiID;
    return 0;
}

uint32_t SLxExperimentRecord::AddEvent(SLxExperimentRecord& record, const SLxExperimentEvent& event)
{
    uint32_t largest = 0;
    SLxExperimentEvent** link = &record.pFirstEvent;
    for (; *link; link = &(*link)->pNext) {
        if ((*link)->uiID > largest)
            largest = (*link)->uiID;
    }
    SLxExperimentEvent* added = NewEvent(event);
    if (!added)
        return 0;
    added->uiID = largest + 1;
    added->pNext = nullptr;
    *link = added;
    return added->uiID;
}

int SLxExperimentRecord::RemoveEvent(SLxExperimentRecord& record, uint32_t id)
{
    for (SLxExperimentEvent** link = &record.pFirstEvent; *link; link = &(*link)->pNext) {
        if ((*link)->uiID == id) {
            SLxExperimentEvent* removed = *link;
            *link = removed->pNext;
            DeleteEvent(removed);
            return 0;
        }
    }
    return -9;
}

int SLxExperimentRecord::SaveToVariant(CLxVariant& v, const SLxExperimentRecord& record)
{
    const int begin = lx_meta::BeginSave(v, "RLxExperimentRecord");
    if (begin != 0)
        return begin;
    lx_meta::Put(v, u"wsNotes", record.wsNotes);
    if (CLxVariant* list = lx_meta::ResetList(v, u"pFirstEvent")) {
        for (const SLxExperimentEvent* e = record.pFirstEvent; e; e = e->pNext) {
            CLxVariant& vEvent = lx_meta::AppendItem(*list, nullptr);
            if (SLxExperimentEvent::SaveToVariant(vEvent, *e) != 0)
                LX_DIAG_ASSERT_TEXT(u"SLxExperimentEvent::SaveToVariant(vEvent, *pEvent) != LX_OK",
                                    nullptr);
        }
    }
    return 0;
}

int SLxExperimentRecord::LoadFromVariant(SLxExperimentRecord& record, const CLxVariant& v)
{
    if (!LX_META_CHECK_RUNTYPE(v, "RLxExperimentRecord", u"'RLxExperimentRecord'"))
        return -4;
    record.wsNotes = lx_meta::GetText(v, u"wsNotes");
    const CLxVariant& list = lx_meta::Get(v, u"pFirstEvent");
    if (list.GetRunType() != CLxVariantRunType("CLxListVariant")) {
        LX_DIAG_ASSERT_TEXT(u"vEvents.GetRunType() == CLxVariantRunType(\"CLxListVariant\")",
                            u"Wrong variant runtype of pFirstEvent, expected 'CLxListVariant'.");
        return -4;
    }
    SLxExperimentEvent** link = LastLink(record);
    uint32_t counter = 1;
    for (int i = 0; i < list.GetCount(); ++i) {
        SLxExperimentEvent loaded;
        if (SLxExperimentEvent::LoadFromVariant(loaded, list[i]) != 0)
            continue;
        if (loaded.uiID == 0) {
            loaded.uiID = counter++;
        } else if (loaded.uiID >= counter) {
            counter = loaded.uiID + 1;
        }
        loaded.pNext = nullptr;
        SLxExperimentEvent* added = NewEvent(loaded);
        if (!added)
            return -3;
        *link = added;
        link = &added->pNext;
    }
    return 0;
}
