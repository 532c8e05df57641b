// Reading a variant tree from XML text: expat feeds a small state machine.
#include <expat.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/debugging/LxDiag.h"

// The handlers take expat's UTF-8 (the library as Debian builds it, not its
// UTF-16 variant).
static_assert(sizeof(XML_Char) == 1, "expat must hand UTF-8 to the handlers");

namespace
{

// Inner states besides the public ones of the header.
enum : int {
    kReading = 0,
    kDone = 100,     // the root variant's element is closed; the rest is ignored
    kTooDeep = -102, // nesting beyond LX_VARIANT_XML_MAX_DEPTH
    kFailed = -103,  // storage refused while building the tree
};

// One open element below <variant>.
struct SLxXMLFrame {
    CLxVariant* node;
    // The members it had when its element began: a plain list that already
    // had members updates them by name instead of appending.
    int membersAtStart;
    // Set when the parent has no place for the element (a member a record
    // does not know): the node is built, then dropped at its end tag.
    std::unique_ptr<CLxVariant> detached;
};

struct SLxXMLReadState {
    explicit SLxXMLReadState(XML_Parser p, CLxVariant& target) : parser(p), out(target) {}

    XML_Parser parser;
    CLxVariant& out;
    std::vector<SLxXMLFrame> stack;
    int depth = -1; // -1 before <variant>, then the number of open elements below it
    int status = kReading;
    bool rootSeen = false; // the document's root element began

    void Fail(int code)
    {
        status = code;
        XML_StopParser(parser, XML_FALSE);
    }
    void Start(const XML_Char* name, const XML_Char** attributes);
    void End();
};

bool NameIs(const XML_Char* name, const char* expected)
{
    return LX_stricmp(name, expected) == 0;
}

// The value of the first attribute of that name (without regard to case), or
// null.
const XML_Char* FindAttribute(const XML_Char** attributes, const char* name)
{
    for (int i = 0; attributes[i]; i += 2) {
        if (NameIs(attributes[i], name))
            return attributes[i + 1];
    }
    return nullptr;
}

// A new member variant for the runtype attribute: absent or empty text is a
// string, "unknown" a null variant, a run type the registry does not know a
// plain list (so that its members are kept).
std::unique_ptr<CLxVariant> MakeNode(const XML_Char* runType, const CLxStringW& name)
{
    std::unique_ptr<CLxVariant> node;
    if (!runType || !*runType) {
        node.reset(new CLxVariant(CLxStringW(), name));
    } else {
        CLxVariantRunType type(runType);
        if (type == CLxVariantRunType::m_unknown)
            node.reset(new CLxVariant());
        else if (CLxVariant::GetRunTypeIndex(type, false) == ~0u)
            node.reset(new CLxVariant(CLxVariantDataCLxListVariant::m_runTypeOrig, name));
        else
            node.reset(new CLxVariant(type, name));
    }
    if (node)
        node->SetName(name);
    return node;
}

// The same for the output variant itself, which is reused in place.
void SetRunTypeFromText(CLxVariant& node, const XML_Char* runType)
{
    if (!runType || !*runType) {
        node = CLxStringW();
        return;
    }
    CLxVariantRunType type(runType);
    if (type == CLxVariantRunType::m_unknown)
        return;
    if (CLxVariant::GetRunTypeIndex(type, false) == ~0u)
        type = CLxVariantDataCLxListVariant::m_runTypeOrig;
    node.SetRunType(type);
}

void SLxXMLReadState::Start(const XML_Char* name, const XML_Char** attributes)
{
    if (depth < 0) {
        rootSeen = true;
        if (!NameIs(name, "variant"))
            return Fail(LX_VARIANT_XML_BAD_ROOT);
        const XML_Char* version = FindAttribute(attributes, "version");
        if (!version || !NameIs(version, "1.0"))
            return Fail(LX_VARIANT_XML_BAD_VERSION);
        depth = 0;
        return;
    }
    if (depth >= LX_VARIANT_XML_MAX_DEPTH)
        return Fail(kTooDeep);

    const XML_Char* runType = FindAttribute(attributes, "runtype");
    const XML_Char* value = FindAttribute(attributes, "value");
    const CLxStringW nodeName(name);

    SLxXMLFrame frame{nullptr, -1, nullptr};
    if (depth == 0) {
        // The output keeps its own type-change setting: the caller restores
        // it after the parse.
        out.EnableTypeChange(true);
        out.MakeNull();
        SetRunTypeFromText(out, runType);
        out.SetName(nodeName);
        frame.node = &out;
    } else {
        const SLxXMLFrame& parent = stack.back();
        const bool plainList =
            parent.node->GetRunType() == CLxVariantDataCLxListVariant::m_runTypeOrig;
        if (!plainList || parent.membersAtStart > 0)
            frame.node = parent.node->SearchFixedOneLevel(nodeName.GetString());
        if (!frame.node) {
            std::unique_ptr<CLxVariant> made = MakeNode(runType, nodeName);
            if (!made)
                return Fail(kFailed);
            if (plainList) {
                frame.node = &parent.node->Append(*made);
                if (frame.node == &g_UndefVariant)
                    return Fail(kFailed);
            } else {
                frame.detached = std::move(made);
                frame.node = frame.detached.get();
            }
        }
    }

    if (value) {
        CLxStringW text(value);
        if (frame.node->GetRunType() == CLxVariantRunType::Builtin(eLxVariantStringW)) {
            CLxXMLAPI::RevalidateXML_AttValue(text);
            frame.node->Read(text);
        } else if (frame.node->GetCount() < 0) {
            // Only values read a text: a list's reader would just report.
            frame.node->Read(text);
        }
    }
    frame.membersAtStart = frame.node->GetCount();
    stack.push_back(std::move(frame));
    ++depth;
}

void SLxXMLReadState::End()
{
    --depth;
    if (depth >= 1) {
        stack.pop_back();
    } else if (depth == 0 && !stack.empty()) {
        status = kDone;
    }
}

// expat is C: nothing may unwind through it.
void XMLCALL OnStartElement(void* userData, const XML_Char* name, const XML_Char** attributes)
{
    SLxXMLReadState& state = *static_cast<SLxXMLReadState*>(userData);
    if (state.status != kReading)
        return;
    try {
        state.Start(name, attributes);
    } catch (...) {
        state.Fail(kFailed);
    }
}

void XMLCALL OnEndElement(void* userData, const XML_Char*)
{
    SLxXMLReadState& state = *static_cast<SLxXMLReadState*>(userData);
    if (state.status == kReading)
        state.End();
}

// Feeds the whole text; expat takes its length as an int.
bool ParseAll(XML_Parser parser, const char* bytes, size_t size)
{
    static const char kEmpty[1] = {0};
    if (!bytes)
        bytes = kEmpty;
    constexpr size_t kChunk = size_t(1) << 30;
    do {
        const size_t part = std::min(size, kChunk);
        const bool last = part == size;
        if (XML_Parse(parser, bytes, int(part), last) != XML_STATUS_OK)
            return false;
        bytes += part;
        size -= part;
    } while (size > 0);
    return true;
}

int ReadDocument(CLxVariant& out, const char* encoding, const char* bytes, size_t size)
{
    XML_Parser parser = XML_ParserCreate(encoding);
    if (!parser)
        return -9;
    SLxXMLReadState state(parser, out);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, OnStartElement, OnEndElement);

    const bool typeChange = out.IsEnabledTypeChange();
    const bool parsed = ParseAll(parser, bytes, size);
    XML_ParserFree(parser);
    state.stack.clear(); // detached members go before out changes again

    int result = 0;
    if (!parsed || state.status < 0) {
        if (state.status == LX_VARIANT_XML_BAD_ROOT || state.status == LX_VARIANT_XML_BAD_VERSION)
            LX_DIAG_ASSERT_TEXT(u"true", u"Error: structure of the data inside XML not valid");
        else if (state.status == kTooDeep)
            LX_DIAG_ASSERT_TEXT(u"depth < LX_VARIANT_XML_MAX_DEPTH",
                                u"Error: variant XML nested too deeply");
        // Never leave a half-read tree behind.
        if (state.rootSeen) {
            out.EnableTypeChange(true);
            out.MakeNull();
        }
        result = -9;
    }
    out.EnableTypeChange(typeChange);
    return result;
}

} // namespace

int CLxXMLAPI::VariantFromXML(CLxVariant& out, const char16_t* text, size_t units)
{
    if (units > SIZE_MAX / 2)
        return -9;
    return ReadDocument(out, "UTF-16", reinterpret_cast<const char*>(text), units * 2);
}

int CLxXMLAPI::VariantFromXML(CLxVariant& out, const CLxStringW& text)
{
    return VariantFromXML(out, text.GetString(), size_t(text.GetLength()));
}

int CLxXMLAPI::VariantFromXML_UTF8(CLxVariant& out, const char* text, size_t bytes)
{
    return ReadDocument(out, "UTF-8", text, bytes);
}

int CLxXMLAPI::VariantFromXML_UTF8(CLxVariant& out, const CLxStringA& text)
{
    return VariantFromXML_UTF8(out, text.GetString(), size_t(text.GetLength()));
}
