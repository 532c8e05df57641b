// What every record's save and load repeats: the run type set under a scoped
// type-change permission, the wrong-run-type report, members written with
// their exact run types and read back with a missing or unusable member
// reading as 0, 0.0, false or empty text.
#pragma once

#include <cstdint>

#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/debugging/LxDiag.h"

namespace lx_meta
{

// Allows the variant to change its run type for the life of the scope and
// then restores the previous permission.
class CTypeChangeScope
{
  public:
    explicit CTypeChangeScope(CLxVariant& v) : m_v(v), m_previous(v.EnableTypeChange(true)) {}
    ~CTypeChangeScope() { m_v.EnableTypeChange(m_previous); }
    CTypeChangeScope(const CTypeChangeScope&) = delete;
    CTypeChangeScope& operator=(const CTypeChangeScope&) = delete;

  private:
    CLxVariant& m_v;
    bool m_previous;
};

// Gives v the record run type (its members made with their defaults when it
// had another run type). 0, or the status of CLxVariant::SetRunType.
int BeginSave(CLxVariant& v, const char* runType);

// True when v has the run type runType, or alt when alt is not null.
// Otherwise "Wrong variant runtype('<found>'), expected <expected>." is
// reported (expected names the run types quoted, as the caller writes it)
// and false returned.
bool CheckRunType(const CLxVariant& v, const char* runType, const char* alt,
                  const char16_t* expected, const char* file, int line);

#define LX_META_CHECK_RUNTYPE(v, runType, expected)                                                \
    lx_meta::CheckRunType(v, runType, nullptr, expected, __FILE__, __LINE__)
#define LX_META_CHECK_RUNTYPE2(v, runType, alt, expected)                                          \
    lx_meta::CheckRunType(v, runType, alt, expected, __FILE__, __LINE__)
// The report of a sub-record that failed to save or load.
#define LX_META_REPORT_SUBRECORD() LX_DIAG_ASSERT_TEXT(u"res != LX_OK", nullptr)

// ---- Writing members of a record that has its run type. A member the
// record lacks is skipped; the member may take the value's run type.

void Put(CLxVariant& v, const char16_t* key, lx_uint32 value);
void Put(CLxVariant& v, const char16_t* key, lx_int32 value);
void Put(CLxVariant& v, const char16_t* key, double value);
void Put(CLxVariant& v, const char16_t* key, bool value);
void Put(CLxVariant& v, const char16_t* key, const CLxStringW& value);

// The member key of v made an empty plain list; null when v lacks it.
CLxVariant* ResetList(CLxVariant& v, const char16_t* key);
// A new null item at the end of list, named name (null: "no_name"), ready
// to be saved into; g_UndefVariant when storage is refused.
CLxVariant& AppendItem(CLxVariant& list, const char16_t* name);
// The member key of v, or null when v lacks it (also when v is no list).
CLxVariant* Member(CLxVariant& v, const char16_t* key);

// ---- Reading. A missing member, a list or a value that does not convert
// reads as 0, 0.0, false or empty, without a report.

lx_uint32 GetUInt(const CLxVariant& v, const char16_t* key);
lx_int32 GetInt(const CLxVariant& v, const char16_t* key);
double GetDouble(const CLxVariant& v, const char16_t* key);
// ok tells whether the member exists and converts.
double GetDouble(const CLxVariant& v, const char16_t* key, bool& ok);
bool GetBool(const CLxVariant& v, const char16_t* key);
CLxStringW GetText(const CLxVariant& v, const char16_t* key);
// Whether v has a member of that name.
bool Has(const CLxVariant& v, const char16_t* key);
// The member key of v, or g_UndefVariant (which has no items).
const CLxVariant& Get(const CLxVariant& v, const char16_t* key);
// The number of items of a list member (0 for anything else).
int ItemCount(const CLxVariant& list);

// ---- Items of a list by position, read as members are: an item that is
// missing (also when list is no list) or does not convert reads as 0, 0.0,
// false or empty.

lx_uint32 GetItemUInt(const CLxVariant& list, int index);
double GetItemDouble(const CLxVariant& list, int index);
bool GetItemBool(const CLxVariant& list, int index);
CLxStringW GetItemText(const CLxVariant& list, int index);
// The item, or g_UndefVariant.
const CLxVariant& GetItem(const CLxVariant& list, int index);

} // namespace lx_meta
