// The key store of the translation lookups: one lasting copy of every key
// that no catalog translated, so that the text handed back for it stays
// valid for the whole process, and is the same pointer on every call.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

class CLxTranslationKeyStore
{
  public:
    // The stored copy of a UTF-16 key.
    const char16_t* Wide(const char16_t* key);
    // The stored UTF-16 form of a narrow (UTF-8) key.
    const char16_t* WideOfNarrow(const char* key);
    // The stored copy of a narrow key.
    const char* Narrow(const char* key);

  private:
    // Lookups run on any thread, and a miss inserts.
    std::mutex m_lock;
    std::set<std::u16string> m_wide;
    std::map<std::string, std::u16string> m_wideOfNarrow;
    std::set<std::string> m_narrow;
};
