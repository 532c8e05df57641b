// The record run types of the class registry, registered with the variant
// run-type registry at start-up (members in order, with their defaults):
//
//   "RLxRttiClass"       a class declaration, named after the class:
//                        m_parent1 ... m_parent9 "CLxStringW" (interface
//                        names, empty when unused), m_additional
//                        "CLxListVariant" (further members, such as
//                        m_singleton)
//   "RLxRttiClassDesc"   m_version "lx_int32" 1, m_shortName and m_fullName
//                        "CLxStringW"
//   "RLxRTTICacheEntry"  one catalog entry: m_class "RLxRttiClass",
//                        m_creator "voidPtr" (the constructor function once
//                        known), m_library "CLxStringW" (module path),
//                        m_addInfo "CLxListVariant" (the class's version and
//                        priority records)
#pragma once

#include "w32_system/LxExport.h"

#define LX_RUNTYPE_RTTI_CLASS "RLxRttiClass"
#define LX_RUNTYPE_RTTI_CLASS_DESC "RLxRttiClassDesc"
#define LX_RUNTYPE_RTTI_CACHE_ENTRY "RLxRTTICacheEntry"

// Member positions of an "RLxRTTICacheEntry" record.
enum ELxRttiCacheEntryMember : int {
    eLxRttiEntryClass = 0,
    eLxRttiEntryCreator = 1,
    eLxRttiEntryLibrary = 2,
    eLxRttiEntryAddInfo = 3,
};

// Registers the three run types (once; later calls do nothing). 0, or -9
// when a run type of one of these names with another shape was registered
// first.
LX_EXPORT int LX_RegisterRttiRunTypes();
