#include "gnr_system/intl/LxTranslationKeys.h"

#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"

// Elements of the standard ordered containers never move, so the pointers
// into them stay valid while the store lives.

const char16_t* CLxTranslationKeyStore::Wide(const char16_t* key)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_wide.insert(key).first->c_str();
}

const char16_t* CLxTranslationKeyStore::WideOfNarrow(const char* key)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_wideOfNarrow.find(key);
    if (found == m_wideOfNarrow.end())
        found = m_wideOfNarrow.emplace(key, LX_Utf8ToUtf16(key)).first;
    return found->second.c_str();
}

const char* CLxTranslationKeyStore::Narrow(const char* key)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_narrow.insert(key).first->c_str();
}
