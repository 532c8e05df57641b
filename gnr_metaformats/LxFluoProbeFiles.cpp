// Probes from user spectra files: the folder walk, the file reader and the
// line splitter. Everything here runs under the catalogue's write lock
// (Init), except the pure text functions, which touch no shared state.
#include <locale.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// Files of 4 GiB or more are refused.
constexpr uint64_t kMaxFileSize = uint64_t(1) << 32;

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Characters strtod may take as part of a number.
bool IsNumberChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
           c == '+' || c == '-' || c == '(' || c == ')' || c == '_';
}

locale_t CLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

// End of the field that starts at pos: the first ',' or line feed, or the end.
size_t FieldEnd(const char* line, size_t length, size_t pos)
{
    while (pos < length && line[pos] != ',' && line[pos] != '\n')
        ++pos;
    return pos;
}

// Reads fields at pos, each after a ',' but the first, into fields[first..
// first + count): the number read before an empty or missing one.
int ScanFields(const char* line, size_t length, size_t pos, int first, int count,
               const char* fields[4], size_t lengths[4])
{
    for (int k = 0; k < count; ++k) {
        if (k > 0) {
            if (pos >= length || line[pos] != ',')
                return k;
            ++pos;
        }
        const size_t end = FieldEnd(line, length, pos);
        if (end == pos)
            return k;
        fields[first + k] = line + pos;
        lengths[first + k] = end - pos;
        pos = end;
    }
    return count;
}

// A symbolic link: its folder is not searched.
bool IsSymbolicLink(const CLxStringW& path)
{
    struct stat st;
    return lstat(LX_SystemPath(path.GetString()).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The folder with one closing separator.
CLxStringW FolderPrefix(const char16_t* folder)
{
    CLxStringW prefix(folder);
    const char16_t last = prefix.GetLastChar();
    if (last != u'/' && last != u'\\')
        prefix += u'/';
    return prefix;
}

// Points in file order; turned into a curve of kind-1 points in one step, so
// that a long file costs linear time.
struct SPointList {
    std::vector<double> wavelengths;
    std::vector<double> values;

    int ToSpectrum(CLxOpticalFilterSpectrum& spectrum) const
    {
        const uint32_t n = uint32_t(wavelengths.size());
        CLxOpticalFilterSpectrum curve(wavelengths.data(), values.data(), n);
        if (curve.GetCount() != n)
            return -3;
        for (uint32_t i = 0; i < n; ++i)
            curve.pPoint[i].eType = SLxOFSpectrumPoint::eSptPoint;
        spectrum = curve;
        return spectrum.GetCount() == n ? 0 : -3;
    }
};

} // namespace

bool CLxFluoProbeBaseVector::ReadNumber(const char* field, size_t length, double& value)
{
    size_t pos = 0;
    while (pos < length && IsBlank(field[pos]))
        ++pos;
    size_t end = pos;
    while (end < length && IsNumberChar(field[end]))
        ++end;
    if (end == pos)
        return false;
    // strtod_l needs a terminated copy; only the run a number can span, on
    // the stack when it is short.
    char shortCopy[64];
    std::string longCopy;
    const char* copy = shortCopy;
    if (end - pos < sizeof shortCopy) {
        std::memcpy(shortCopy, field + pos, end - pos);
        shortCopy[end - pos] = 0;
    } else {
        longCopy.assign(field + pos, end - pos);
        copy = longCopy.c_str();
    }
    char* stop = nullptr;
    const double v = strtod_l(copy, &stop, CLocale());
    if (stop == copy || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

int CLxFluoProbeBase::ReadLine(const char* line, size_t length, const char* fields[4],
                               size_t lengths[4])
{
    for (int k = 0; k < 4; ++k) {
        fields[k] = line;
        lengths[k] = 0;
    }
    if (length == 0)
        return -1;
    const int n = ScanFields(line, length, 0, 0, 4, fields, lengths);
    if (n == 0) {
        // ",,a,b": an emission point only.
        if (length >= 2 && line[0] == ',' && line[1] == ',' &&
            ScanFields(line, length, 2, 2, 2, fields, lengths) == 2)
            return 4;
        fields[2] = fields[3] = line;
        lengths[2] = lengths[3] = 0;
        return 0;
    }
    if (n == 1) {
        // "a,,b,c": the excitation value is missing; the emission point stays.
        const size_t pos = lengths[0];
        if (pos + 1 < length && line[pos] == ',' && line[pos + 1] == ',' &&
            ScanFields(line, length, pos + 2, 2, 2, fields, lengths) == 2)
            return 4;
        fields[2] = fields[3] = line;
        lengths[2] = lengths[3] = 0;
        return 1;
    }
    return n;
}

int CLxFluoProbeBaseVector::ParseSpectra(const char* text, size_t length,
                                         CLxOpticalFilterSpectrum& excitation,
                                         CLxOpticalFilterSpectrum& emission)
{
    SPointList exc, ems;
    try {
        size_t pos = 0;
        for (;;) {
            const char* fields[4];
            size_t lengths[4];
            const int n = ReadLine(text + pos, length - pos, fields, lengths);
            if (n <= 1)
                break;
            double wavelength = 0.0, value = 0.0;
            if (ReadNumber(fields[0], lengths[0], wavelength) &&
                ReadNumber(fields[1], lengths[1], value)) {
                exc.wavelengths.push_back(wavelength);
                exc.values.push_back(value);
            }
            if (n == 4 && ReadNumber(fields[2], lengths[2], wavelength) &&
                ReadNumber(fields[3], lengths[3], value)) {
                ems.wavelengths.push_back(wavelength);
                ems.values.push_back(value);
            }
            const void* feed = std::memchr(text + pos, '\n', length - pos);
            if (!feed)
                break;
            pos = size_t(static_cast<const char*>(feed) - text) + 1;
        }
    } catch (const std::bad_alloc&) {
        return -3;
    }
    if (exc.wavelengths.empty() || ems.wavelengths.empty())
        return -4;
    const int res = exc.ToSpectrum(excitation);
    return res != 0 ? res : ems.ToSpectrum(emission);
}

CLxStringW CLxFluoProbeBaseVector::ProbeName(const char16_t* path)
{
    CLxStringW name(path);
    const int cut = std::max(name.ReverseFind(u'\\'), name.ReverseFind(u'/'));
    if (cut >= 0)
        name = name.Mid(cut + 1);
    const int dot = name.ReverseFind(u'.');
    if (dot > 0)
        name.TruncateAt(dot);
    name.Replace(u"#", u"/");
    return name;
}

int CLxFluoProbeBase::LoadFile(const char16_t* path)
{
    CLxFluoProbeBaseVector* v = m_sVector;
    if (!v || !path)
        return -4;
    const std::u16string key(path);
    if (v->aLoadedPaths.count(key))
        return 0; // appended by an earlier Init

    LX_HFILE file = LX_INVALID_HFILE;
    int res = LX_OpenFile(path, LX_FILE_READ, LX_FILE_SHARE_READ | LX_FILE_SHARE_WRITE,
                          LX_INVALID_HFILE, &file);
    if (res != 0)
        return res;
    uint64_t size = 0;
    res = LX_GetFileSize(file, &size);
    char* text = nullptr;
    uint32_t bytes = 0;
    if (res == 0 && (size == 0 || size >= kMaxFileSize))
        res = -3;
    if (res == 0 && !(text = static_cast<char*>(CLxAlloc::Alloc(0, size_t(size)))))
        res = -3;
    if (res == 0)
        res = LX_ReadFile(file, text, uint32_t(size), &bytes, nullptr);
    LX_CloseFile(file);

    CLxOpticalFilterSpectrum excitation, emission;
    if (res == 0)
        res = CLxFluoProbeBaseVector::ParseSpectra(text, bytes, excitation, emission);
    CLxAlloc::Free(text);
    if (res != 0)
        return res;

    CLxFluoProbeBaseItem item;
    const CLxStringW name = CLxFluoProbeBaseVector::ProbeName(path);
    uint32_t color = 0xFFFFFF;
    uint32_t emissionColor = 0;
    if (emission.GetRGBColor(emissionColor) == 0)
        color = emissionColor;
    item.sProbe = CLxFluorescentProbe(name, color, excitation, emission);
    if (item.sProbe.m_ExcitationSpectrum.GetCount() != excitation.GetCount() ||
        item.sProbe.m_EmissionSpectrum.GetCount() != emission.GetCount())
        return -3;
    name.CopyToBufferW(item.szAbbrev, 64);
    item.uiGroup = 0;
    try {
        v->aLoadedPaths.insert(key);
    } catch (const std::bad_alloc&) {
        return -3;
    }
    try {
        v->aItems.push_back(item);
    } catch (const std::bad_alloc&) {
        v->aLoadedPaths.erase(key);
        return -3;
    }
    return 0;
}

int CLxFluoProbeBase::SearchForFiles(const char16_t* folder)
{
    int res = LX_AccessFile(folder, 0);
    if (res != 0)
        return res;
    const CLxStringW prefix = FolderPrefix(folder);
    LX_HFIND search = nullptr;
    SLxFindData record = {};
    res = LX_FindFileFirst((prefix + u"*").GetString(), &search, &record);
    if (res != 0)
        return res;
    do {
        const CLxStringW name(record.wsFileName);
        if (name == u"." || name == u"..")
            continue;
        const CLxStringW path = prefix + name;
        if (record.bDirectory) {
            if (!IsSymbolicLink(path))
                SearchForFiles(path.GetString());
        } else {
            LoadFile(path.GetString());
        }
    } while (LX_FindFileNext(search, &record) == 0);
    LX_FindFileClose(search);
    return 0;
}
