#include "gnr_system/intl/LxLocale.h"

#include <atomic>
#include <cstdio>
#include <list>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "gnr_system/intl/LxDomainOrder.h"
#include "gnr_system/intl/LxMsgCatalog.h"
#include "gnr_system/intl/LxTranslationKeys.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDiag.h"
#include "w32_system/timer/LxTimer.h"

struct SLxLocaleState {
    // In domain order: by depth, then by name.
    std::list<CLxMsgCatalog> catalogs;
    std::atomic<int> primary{-1};
    std::atomic<int> secondary{-1};
    std::map<LX_HMODULE, int> moduleLanguages;
    CLxTranslationKeyStore keys;
    std::mutex statisticsLock;
    double totalMs = 0;
    unsigned lookups = 0;
};

namespace
{

const char16_t* languageName(int language)
{
    switch (language) {
    case 1033:
        return u"English";
    case 1029:
        return u"Czech";
    case 1031:
        return u"German";
    case 1036:
        return u"French";
    case 1040:
        return u"Italian";
    case 1045:
        return u"Polish";
    case 1049:
        return u"Russian";
    case 1041:
        return u"Japanese";
    default:
        return u"Unknown";
    }
}

struct SLxHit {
    const CLxMsgCatalog* catalog = nullptr;
    int entry = -1;
};

bool lookIn(const CLxMsgCatalog& catalog, const char* key, SLxHit* hit)
{
    int entry = catalog.Find(key);
    if (entry < 0)
        return false;
    *hit = SLxHit{&catalog, entry};
    return true;
}

// Pass 0 wants each catalog in its module's language, pass 1 in the
// secondary language. With a domain the closest catalog is asked first.
SLxHit findTranslation(SLxLocaleState& s, const char* key, const char* domain)
{
    SLxHit hit;
    for (int pass = 0; pass < 2; ++pass) {
        auto wanted = [&](const CLxMsgCatalog& catalog) {
            int language =
                pass == 0 ? CLxLocale::GetModuleLangId(catalog.GetModule()) : s.secondary.load();
            return catalog.GetLanguage() == language;
        };
        const CLxMsgCatalog* closest = nullptr;
        if (domain && *domain) {
            for (const CLxMsgCatalog& catalog : s.catalogs) {
                if (LX_CompareDomain(catalog.GetName().c_str(), domain, true) > 0)
                    break;
                if (wanted(catalog))
                    closest = &catalog;
            }
            if (closest && lookIn(*closest, key, &hit))
                return hit;
        }
        for (const CLxMsgCatalog& catalog : s.catalogs)
            if (&catalog != closest && wanted(catalog) && lookIn(catalog, key, &hit))
                return hit;
    }
    return hit;
}

// Adds one lookup's time to the statistics when it ends.
class CLxLookupTimer
{
  public:
    explicit CLxLookupTimer(SLxLocaleState& s) : m_state(s), m_start(LX_GetTimeCounter()) {}
    ~CLxLookupTimer()
    {
        double elapsed = LX_GetTimeCounter() - m_start;
        std::lock_guard<std::mutex> lock(m_state.statisticsLock);
        m_state.totalMs += elapsed;
        ++m_state.lookups;
    }

  private:
    SLxLocaleState& m_state;
    double m_start;
};

bool readFile(const char* path, std::vector<uint8_t>* bytes)
{
    std::string systemPath(path);
    for (char& c : systemPath)
        if (c == '\\')
            c = '/';
    FILE* file = fopen(systemPath.c_str(), "rb");
    if (!file)
        return false;
    bool read = false;
    if (fseeko(file, 0, SEEK_END) == 0) {
        off_t length = ftello(file);
        if (length >= 0 && uint64_t(length) <= UINT32_MAX && fseeko(file, 0, SEEK_SET) == 0) {
            bytes->resize(size_t(length));
            read = fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
        }
    }
    fclose(file);
    return read;
}

} // namespace

CLxLocale::CLxLocale() : m_state(new SLxLocaleState) {}

CLxLocale::~CLxLocale()
{
    delete m_state;
}

CLxLocale& CLxLocale::getInstance()
{
    static CLxLocale instance;
    return instance;
}

SLxLocaleState& CLxLocale::State()
{
    return *getInstance().m_state;
}

int CLxLocale::SetLangID(int language)
{
    int previous = State().primary.exchange(language);
    LX_TRACE(u"CLxLocale::SetLangID(%i) : %s", language, languageName(language));
    return previous;
}

int CLxLocale::GetLangID()
{
    return State().primary;
}

int CLxLocale::SetSecondaryLangID(int language)
{
    return State().secondary.exchange(language);
}

int CLxLocale::GetSecondaryLangID()
{
    return State().secondary;
}

int CLxLocale::SetModuleLangId(LX_HMODULE module, int language)
{
    try {
        auto inserted = State().moduleLanguages.emplace(module, language);
        if (inserted.second)
            return -1;
        int previous = inserted.first->second;
        inserted.first->second = language;
        return previous;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CLxLocale::GetModuleLangId(LX_HMODULE module)
{
    SLxLocaleState& s = State();
    auto found = s.moduleLanguages.find(module);
    return found != s.moduleLanguages.end() ? found->second : s.primary.load();
}

bool CLxLocale::AddCatalog(const char* path)
{
    try {
        std::vector<uint8_t> bytes;
        if (!path || !readFile(path, &bytes))
            return false;
        return AddCatalog(bytes.data(), bytes.size(), nullptr, -1);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CLxLocale::AddCatalog(const void* data, size_t size, LX_HMODULE module, int language)
{
    try {
        CLxMsgCatalog catalog;
        if (!catalog.Load(module, language, data, size))
            return false;
        std::list<CLxMsgCatalog>& catalogs = State().catalogs;
        for (const CLxMsgCatalog& other : catalogs)
            if (other.GetLanguage() == language && other.GetName() == catalog.GetName())
                return false;
        auto position = catalogs.begin();
        while (position != catalogs.end() &&
               LX_CompareDomain(catalog.GetName().c_str(), position->GetName().c_str(), false) >= 0)
            ++position;
        catalogs.insert(position, std::move(catalog));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CLxLocale::RemoveCatalog(const char* name)
{
    if (name)
        State().catalogs.remove_if([name](const CLxMsgCatalog& catalog) {
            return LX_stricmp(catalog.GetName().c_str(), name) == 0;
        });
    return true;
}

bool CLxLocale::RemoveCatalog(LX_HMODULE module, int language)
{
    std::list<CLxMsgCatalog>& catalogs = State().catalogs;
    for (auto it = catalogs.begin(); it != catalogs.end();) {
        if (it->GetModule() != module || (language != -1 && it->GetLanguage() != language)) {
            ++it;
            continue;
        }
        it = catalogs.erase(it);
        if (language != -1)
            break;
    }
    return true;
}

bool CLxLocale::RemoveAllCatalogs()
{
    State().catalogs.clear();
    return true;
}

const char16_t* CLxLocale::GetStrW(const char16_t* key, const char* domain)
{
    if (!key)
        return nullptr;
    SLxLocaleState& s = State();
    CLxLookupTimer timer(s);
    try {
        SLxHit hit = *key ? findTranslation(s, LX_Utf16ToUtf8(key).c_str(), domain) : SLxHit();
        return hit.catalog ? hit.catalog->GetWideText(hit.entry) : s.keys.Wide(key);
    } catch (const std::bad_alloc&) {
        return u"";
    }
}

const char16_t* CLxLocale::GetStrW(const char* key, const char* domain)
{
    if (!key)
        return nullptr;
    SLxLocaleState& s = State();
    CLxLookupTimer timer(s);
    try {
        SLxHit hit = findTranslation(s, key, domain);
        return hit.catalog ? hit.catalog->GetWideText(hit.entry) : s.keys.WideOfNarrow(key);
    } catch (const std::bad_alloc&) {
        return u"";
    }
}

const char* CLxLocale::GetStrA(const char* key, const char* domain)
{
    if (!key)
        return nullptr;
    SLxLocaleState& s = State();
    CLxLookupTimer timer(s);
    try {
        SLxHit hit = findTranslation(s, key, domain);
        return hit.catalog ? hit.catalog->GetText(hit.entry) : s.keys.Narrow(key);
    } catch (const std::bad_alloc&) {
        return key;
    }
}

void CLxLocale::GetStatistics(double& totalMs, unsigned& count)
{
    SLxLocaleState& s = State();
    std::lock_guard<std::mutex> lock(s.statisticsLock);
    totalMs = s.totalMs;
    count = s.lookups;
}
