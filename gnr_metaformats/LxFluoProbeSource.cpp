// The catalogue written out as C++ source text of item initialisations, the
// form in which the built-in table was once kept.
#include <cstdarg>
#include <new>
#include <string>

#include "gnr_metaformats/LxFluoProbeBase.h"
#include "gnr_metaformats/LxFluoProbeBaseVector.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFormat.h"
#include "w32_system/LxUtf.h"

namespace
{

// Appends printf output; numbers in the C locale whatever the process uses.
void Append(std::string& out, const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = LX_vsnprintfA(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0)
        out.append(buffer, size_t(n) < sizeof buffer ? size_t(n) : sizeof buffer - 1);
}

// UTF-8 text inside a wide string literal, quote and backslash escaped.
std::string Literal(const char16_t* text)
{
    std::string out;
    for (char c : LX_Utf16ToUtf8(text)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

// "   static double s_p<tag>_%03d[] = { v, v, ..., };\n", a line break and 37
// spaces after every hundredth value.
void AppendList(std::string& out, const char* tag, unsigned index,
                const CLxOpticalFilterSpectrum& spectrum, bool wavelengths)
{
    Append(out, "   static double s_p%s_%03d[] = { ", tag, index);
    for (uint32_t p = 0; p < spectrum.GetCount(); ++p) {
        const SLxOFSpectrumPoint& point = spectrum[p];
        if (wavelengths)
            Append(out, "%.1f, ", point.dWavelength);
        else
            Append(out, "%.6f, ", point.dTValue);
        if (p % 100 == 99)
            out += "\n                                     ";
    }
    out += "};\n";
}

void AppendItem(std::string& out, unsigned i, const CLxFluoProbeBaseItem& item)
{
    const CLxFluorescentProbe& probe = item.sProbe;
    out += "{\n";
    AppendList(out, "ExcWl", i, probe.m_ExcitationSpectrum, true);
    AppendList(out, "ExcVl", i, probe.m_ExcitationSpectrum, false);
    AppendList(out, "EmsWl", i, probe.m_EmissionSpectrum, true);
    AppendList(out, "EmsVl", i, probe.m_EmissionSpectrum, false);
    Append(out,
           "   sExcSp = CLxOpticalFilterSpectrum(s_pExcWl_%03d, s_pExcVl_%03d, "
           "sizeof(s_pExcWl_%03d) / sizeof(double));\n",
           i, i, i);
    Append(out,
           "   sEmsSp = CLxOpticalFilterSpectrum(s_pEmsWl_%03d, s_pEmsVl_%03d, "
           "sizeof(s_pEmsWl_%03d) / sizeof(double));\n",
           i, i, i);
    out += "   sItem.sProbe = CLxFluorescentProbe(CLxStringW(L\"" +
           Literal(probe.m_sName.GetString()) + "\"),\n";
    Append(out, "                                      0x%08x, sExcSp, sEmsSp);\n",
           probe.m_uiColor);
    out += "   wcscpy(sItem.szAbbrev, L\"" + Literal(item.szAbbrev) + "\");\n";
    Append(out, "   sItem.uiGroup = %u;\n", item.uiGroup);
    out += "   m_sVector.push_back(sItem);\n}\n\n";
}

} // namespace

int CLxFluoProbeBase::GenerateSourceCode(const char16_t* path)
{
    if (!path)
        return -9;
    CLxFluoProbeReadLock lock;
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(path, LX_FILE_WRITE | LX_FILE_CREATE | LX_FILE_ALWAYS, 0, LX_INVALID_HFILE,
                    &file) != 0)
        return -9;
    bool written = true;
    auto flush = [&](std::string& text) {
        uint32_t done = 0;
        if (written && !text.empty())
            written = LX_WriteFile(file, text.data(), uint32_t(text.size()), &done, nullptr) == 0 &&
                      done == text.size();
        text.clear();
    };
    try {
        std::string text = "CLxOpticalFilterSpectrum sExcSp, sEmsSp;\n"
                           "CLxFluoProbeBaseItem sItem;\n\n";
        if (const CLxFluoProbeBaseVector* v = m_sVector) {
            unsigned i = 0;
            for (const CLxFluoProbeBaseItem& item : v->aItems) {
                AppendItem(text, i++, item);
                flush(text);
            }
        }
        flush(text);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    if (LX_CloseFile(file) != 0)
        written = false;
    return written ? 0 : -9;
}
