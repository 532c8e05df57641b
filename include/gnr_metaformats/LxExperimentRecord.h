// The events of an acquisition and the record that holds them with the
// acquisition notes.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class CLxVariant;

// One event: what happened (eMeaning, an index into _pDescription) and when.
struct LX_EXPORT SLxExperimentEvent {
    enum { eDescriptionCount = 16 };

    SLxExperimentEvent();
    SLxExperimentEvent(const SLxExperimentEvent& other) = default;
    SLxExperimentEvent& operator=(const SLxExperimentEvent& other) = default;
    ~SLxExperimentEvent() = default;

    // Writes "RLxExperimentEvent": "dTime", "eMeaning", "wsDescription",
    // "wsData", "uiID". 0.
    static int SaveToVariant(CLxVariant& v, const SLxExperimentEvent& event);
    // Reads the five keys (not the link). -4 (reported) for another run type.
    static int LoadFromVariant(SLxExperimentEvent& event, const CLxVariant& v);

    double dTime;
    uint32_t eMeaning;
    CLxStringW wsDescription;
    CLxStringW wsData;
    uint32_t uiID;             // within its record; 0 for none yet
    SLxExperimentEvent* pNext; // the record's list

    // Display names of the kinds of event in the current language, set at
    // library start-up; entry 0 is always "Unknown". Read-only for callers.
    static const char16_t* _pDescription[eDescriptionCount];
};

// The notes and the events of an acquisition, in the order they were added.
// The record owns its events, but the copy constructor and assignment share
// the list: only one of the records may Free it, and the destructor never
// does. Copy makes a separate list.
struct LX_EXPORT SLxExperimentRecord {
    SLxExperimentRecord() : pFirstEvent(nullptr) {}
    SLxExperimentRecord(const SLxExperimentRecord& other) = default;
    SLxExperimentRecord& operator=(const SLxExperimentRecord& other) = default;
    ~SLxExperimentRecord() = default;

    // Deletes every event; the notes stay.
    static void Free(SLxExperimentRecord& record);
    // Appends copies of src's events (new IDs) to dst's; notes unchanged. 0,
    // or -3 when memory ran out (the copies made so far stay).
    static int Copy(SLxExperimentRecord& dst, const SLxExperimentRecord& src);
    // The event with that ID, its link included. -9 when there is none.
    static int GetEvent(const SLxExperimentRecord& record, uint32_t id, SLxExperimentEvent& event);
    // Sets time, meaning, texts and ID of the event with that ID; it keeps
    // its place. -9 when there is none.
    static int SetEvent(SLxExperimentRecord& record, uint32_t id, const SLxExperimentEvent& event);
    // Appends a copy with the ID one above the largest (1 for the first);
    // the new ID, or 0 without memory.
    static uint32_t AddEvent(SLxExperimentRecord& record, const SLxExperimentEvent& event);
    // Deletes the event with that ID. -9 when there is none.
    static int RemoveEvent(SLxExperimentRecord& record, uint32_t id);

    // Writes "RLxExperimentRecord": "wsNotes", "pFirstEvent" (one unnamed
    // item per event). 0.
    static int SaveToVariant(CLxVariant& v, const SLxExperimentRecord& record);
    // Loads into a record without events: events stored with ID 0 are
    // numbered on from the last ID seen. -4 (reported) for another run type
    // or when "pFirstEvent" is not a list (the notes are read); -3 without
    // memory (the events loaded so far stay); 0.
    static int LoadFromVariant(SLxExperimentRecord& record, const CLxVariant& v);

    CLxStringW wsNotes;
    SLxExperimentEvent* pFirstEvent;
};
