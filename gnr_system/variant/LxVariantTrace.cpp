// The diagnostic dump of a variant tree, in the shape of the variant XML.
#include "gnr_system/variant/LxVariantInternal.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{
// Calls line(text) for each line of the dump of v at level (without its
// line end).
template <class Sink> void DumpElement(const CLxVariant& v, int level, Sink& line)
{
    CLxStringW indent;
    for (int i = 0; i < level; ++i)
        indent += u' ';
    const char* runType = v.GetRunType().GetName().GetString();
    CLxStringW text;
    if (v.GetCount() < 0) {
        text.Format(u"%s<%s runtype=\"%hs\" value=\"%s\"/>", indent.GetString(),
                    v.GetName().GetString(), runType, v.GetCLxStringW().GetString());
        line(text);
        return;
    }
    text.Format(u"%s<%s runtype=\"%hs\">", indent.GetString(), v.GetName().GetString(), runType);
    line(text);
    {
        CLxListVariantLock lock;
        const CLxListVariant& members = v.GetCLxListVariant();
        for (int i = 0; i < members.Number(); ++i)
            DumpElement(*members[i], level + 1, line);
    }
    text.Format(u"%s</%s>", indent.GetString(), v.GetName().GetString());
    line(text);
}

template <class Sink> void Dump(const CLxVariant& v, Sink& line)
{
    line(CLxStringW(u"<variant version=\"1.0\">"));
    DumpElement(v, 0, line);
    line(CLxStringW(u"</variant>"));
}
} // namespace

CLxStringW& CLxVariant::Trace(CLxStringW& out, const CLxVariant& v)
{
    CLxStringW dump;
    auto append = [&dump](const CLxStringW& text) {
        dump += text;
        dump += u"\r\n";
    };
    Dump(v, append);
    out = dump;
    return out;
}

void CLxVariant::Trace(const CLxVariant& v)
{
    // Each record gets its own line end.
    auto trace = [](const CLxStringW& text) { LX_TRACE(u"%s", text.GetString()); };
    Dump(v, trace);
}
