// Members of list and record variants: access, searches and changes.
#include <deque>

#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{
const char16_t* const kNotAList = u"(!m_pData || !m_pData->IsArray())";
const char16_t* const kDeleteCondition =
    u"(!m_enabledTypeChange && GetRunType() != CLxVariantDataCLxListVariant::m_runTypeOrig)";

// An empty sequence per thread for the failed GetCLxListVariant; emptied on
// every return in case a caller wrote into it.
CLxListVariant& EmptySequence()
{
    static thread_local CLxListVariant empty;
    empty.Clear();
    return empty;
}

bool IsPlainList(const CLxVariant& v)
{
    return v.GetRunType() == CLxVariantDataCLxListVariant::m_runTypeOrig;
}
} // namespace

CLxVariantDataCLxListVariant* CLxVariant::ListData() const
{
    return m_pData && m_pData->IsArray() ? static_cast<CLxVariantDataCLxListVariant*>(m_pData)
                                         : nullptr;
}

CLxVariant& CLxVariant::Undef()
{
    if (!g_UndefVariant.IsNull())
        LX_DIAG_ASSERT_TEXT(u"!g_UndefVariant.IsNull()", nullptr);
    return g_UndefVariant;
}

// ---- Access.

int CLxVariant::GetCount() const
{
    CLxVariantDataCLxListVariant* list = ListData();
    return list ? list->m_value.Number() : -1;
}

CLxListVariant& CLxVariant::GetCLxListVariant(bool* ok)
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (ok)
        *ok = list != nullptr;
    return list ? list->m_value : EmptySequence();
}

const CLxListVariant& CLxVariant::GetCLxListVariant(bool* ok) const
{
    return const_cast<CLxVariant*>(this)->GetCLxListVariant(ok);
}

CLxVariant* CLxVariant::IndexPtr(int index)
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (!list) {
        LX_DIAG_ASSERT_TEXT(kNotAList, u"Error: invalid variant runtype for array operation.");
        return nullptr;
    }
    CLxListVariantLock lock;
    return list->m_value.GetAt(index);
}

const CLxVariant* CLxVariant::IndexPtr(int index) const
{
    return const_cast<CLxVariant*>(this)->IndexPtr(index);
}

CLxVariant& CLxVariant::operator[](int index)
{
    CLxVariant* member = IndexPtr(index);
    return member ? *member : Undef();
}

const CLxVariant& CLxVariant::operator[](int index) const
{
    return const_cast<CLxVariant*>(this)->operator[](index);
}

CLxVariant* CLxVariant::SearchFixedOneLevel(const char16_t* name)
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (!list || !name)
        return nullptr;
    CLxListVariantLock lock;
    for (int i = 0; i < list->m_value.Number(); ++i) {
        CLxVariant* member = list->m_value[i];
        if (member->m_name == name)
            return member;
    }
    return nullptr;
}

const CLxVariant* CLxVariant::SearchFixedOneLevel(const char16_t* name) const
{
    return const_cast<CLxVariant*>(this)->SearchFixedOneLevel(name);
}

CLxVariant& CLxVariant::operator[](const char16_t* name)
{
    CLxVariant* member = SearchFixedOneLevel(name);
    return member ? *member : Undef();
}

const CLxVariant& CLxVariant::operator[](const char16_t* name) const
{
    return const_cast<CLxVariant*>(this)->operator[](name);
}

CLxVariant* CLxVariant::SearchFixedPath(const char16_t* const* names, size_t count)
{
    if (count == 0 || !names[0])
        return nullptr;
    CLxVariant* current = this;
    for (size_t i = 0; i < count && names[i] && current; ++i)
        current = current->SearchFixedOneLevel(names[i]);
    return current;
}

CLxVariant* CLxVariant::SearchPath(const char16_t* const* names, size_t count)
{
    if (count == 0 || !names[0])
        return nullptr;
    CLxListVariantLock lock;
    CLxVariant* current = this;
    for (size_t i = 0; i < count && names[i] && current; ++i) {
        // Breadth-first from current itself.
        std::deque<CLxVariant*> queue{current};
        current = nullptr;
        while (!queue.empty()) {
            CLxVariant* v = queue.front();
            queue.pop_front();
            if (v->m_name == names[i]) {
                current = v;
                break;
            }
            if (CLxVariantDataCLxListVariant* list = v->ListData()) {
                for (int m = 0; m < list->m_value.Number(); ++m)
                    queue.push_back(list->m_value[m]);
            }
        }
    }
    return current;
}

int CLxVariant::IndexOf(const CLxStringW& name) const
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (!list)
        return -1;
    CLxListVariantLock lock;
    for (int i = 0; i < list->m_value.Number(); ++i) {
        if (list->m_value[i]->m_name == name)
            return i;
    }
    return -9;
}

bool CLxVariant::Member(const CLxVariant& value) const
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (!list) {
        LX_DIAG_ASSERT_TEXT(kNotAList, u"Error: invalid variant type for array operation.");
        return false;
    }
    CLxListVariantLock lock;
    for (int i = 0; i < list->m_value.Number(); ++i) {
        if (*list->m_value[i] == value)
            return true;
    }
    return false;
}

// ---- Changes.

bool CLxVariant::MakeAppendable()
{
    CLxVariantDataCLxListVariant* list = ListData();
    if (!list) {
        CLxVariantData* empty = new CLxVariantDataCLxListVariant();
        if (!empty)
            return false;
        SetData(empty);
    } else if (!IsPlainList(*this)) {
        list->SetRunType(CLxVariantDataCLxListVariant::m_runTypeOrig);
    }
    return true;
}

CLxVariant& CLxVariant::Append(const CLxVariant& item)
{
    if (RefuseUndefChange())
        return Undef();
    if (m_pData && !m_enabledTypeChange && !IsPlainList(*this)) {
        CLxStringW message;
        message.Format(u"Error: invalid variant type (%hs) for array operation.",
                       GetRunType().GetName().GetString());
        LX_DIAG_ASSERT_TEXT(u"true", message.GetString());
        return Undef();
    }
    if (!MakeAppendable())
        return Undef();
    CLxVariant* added = ListData()->m_value.Append(item);
    return added ? *added : Undef();
}

CLxVariant& CLxVariant::Insert(const CLxVariant& item, int index)
{
    if (RefuseUndefChange())
        return Undef();
    if (m_pData && !m_enabledTypeChange && !IsPlainList(*this)) {
        LX_DIAG_ASSERT_TEXT(u"(m_pData && !m_enabledTypeChange && GetRunType() != "
                            u"CLxVariantDataCLxListVariant::m_runTypeOrig)",
                            u"Error: invalid variant type for array operation.");
        return Undef();
    }
    if (!MakeAppendable())
        return Undef();
    if (index < 0) {
        LX_DIAG_ASSERT_TEXT(u"iIdx < 0", nullptr);
        return Undef();
    }
    CLxVariant* added = ListData()->m_value.Insert(index, item);
    return added ? *added : Undef();
}

int CLxVariant::SetOrAppend(const CLxStringW& name, CLxVariant& value)
{
    int index = IndexOf(name);
    if (index < 0) {
        value.SetName(name);
        Append(value);
        return index;
    }
    CLxVariant* member = IndexPtr(index);
    if (!member)
        return -9;
    *member = value;
    return index;
}

bool CLxVariant::Delete(unsigned int index)
{
    if (!m_enabledTypeChange && !IsPlainList(*this)) {
        LX_DIAG_ASSERT_TEXT(kDeleteCondition, u"Error: can't delete member in this runtype.");
        return false;
    }
    CLxVariantDataCLxListVariant* list = ListData();
    int count = list ? list->m_value.Number() : 0;
    int signedIndex = int(index);
    if (signedIndex >= count) {
        LX_DIAG_ASSERT_TEXT(u"((signed)item >= list.Number())", u"Error: invalid index to delete!");
        return false;
    }
    // A refused index leaves a record a record.
    if (signedIndex < 0) {
        LX_DIAG_ASSERT_TEXT(u"iIdx < 0", nullptr);
        return false;
    }
    if (!IsPlainList(*this))
        list->SetRunType(CLxVariantDataCLxListVariant::m_runTypeOrig);
    return list->m_value.Delete(signedIndex);
}

void CLxVariant::ClearList()
{
    if (!IsPlainList(*this)) {
        if (!m_enabledTypeChange) {
            LX_DIAG_ASSERT_TEXT(kDeleteCondition, u"Error: can't ClearList in this runtype.");
            return;
        }
        SetRunType(CLxVariantDataCLxListVariant::m_runTypeOrig);
        return;
    }
    ListData()->m_value.Clear();
}
