// Spectral levels across a tree: reducing to a channel subset, removing
// spectral levels, shape tests and merges, colour tables from picture
// metadata and the readable trace of a tree.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "experiment_builder.h"
#include "gnr_metaformats/LxExperimentAPI.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/lut/LxLut.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

using namespace exptest;
typedef CLxExperimentAPI API;

// The tree with each spectral level as its channels, "-" marking one that
// is switched off: "XY[A,C C]".
std::string Channels(const E* level)
{
    if (!level)
        return "null";
    std::string s;
    if (level->eType == E::eEtSpect) {
        const E::SLxExpSpectLoop& sp = level->uLoopPars.sSpectLoop;
        for (uint32_t c = 0; c < sp.uiCount; ++c) {
            s += c ? "," : "";
            s += level->pItemValid && !level->pItemValid[c] ? "-" : "";
            s += U8(sp.pPlaneDesc[c].sDescription.GetString());
        }
        s = "{" + s + "}";
    } else {
        s = std::to_string(level->eType);
    }
    if (level->ppNextLevelEx && level->uiNextLevelCount) {
        s += "[";
        for (uint32_t i = 0; i < level->uiNextLevelCount; ++i)
            s += (i ? " " : "") + Channels(level->ppNextLevelEx[i]);
        s += "]";
    }
    return s;
}

// Planes described by the given names, as Spect() makes its channels.
struct SPlanes {
    SLxPicturePlanes planes;
    explicit SPlanes(std::initializer_list<const char16_t*> names)
    {
        SLxPicturePlanes::Alloc(planes, uint32_t(names.size()));
        uint32_t i = 0;
        for (const char16_t* name : names) {
            planes.sPlane[i].sDescription = name;
            planes.sPlane[i].uiColor = 0xFF;
            ++i;
        }
        planes.uiCompCount = planes.uiCount;
    }
    ~SPlanes() { SLxPicturePlanes::Free(planes); }
};

TEST(ExperimentSpectral, ReduceToSelectedChannels)
{
    struct SCase {
        const char* name;
        std::function<E*()> make;
        uint32_t mask;
        int status;
        std::string channels;
    };
    const std::vector<SCase> table = {
        {"keep-list order without gaps",
         [] {
             return XY(2, {Spect({u"A", u"B", u"C"}), Spect({u"B", u"C"})});
         },
         0b101, 0, "2[{A,C} {C}]"},
        {"a mask selecting nothing",
         [] {
             return XY(2, {Spect({u"A", u"B"}), Time(2, {Spect({u"B"})})});
         },
         0, 0, "2[1]"},
        {"switched-off channels go",
         [] {
             return XY(2, {Flags(Spect({u"A", u"B"}), {0, 1}), Spect({u"A", u"B"})});
         },
         0b11, 0, "2[{B} {A,B}]"},
        {"a spectral root",
         [] {
             return Spect({u"A", u"B", u"C"}, {Z(2)});
         },
         0b110, 0, "{B,C}[4]"},
        {"a branch without channels",
         [] {
             return XY(2, {Spect({u"A"}), Z(2)});
         },
         1, -9, "2[{A} 4]"},
        {"no channels at all", [] { return Time(2, {Z(2)}); }, 1, 0, "1[4]"},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree root(c.make());
        EXPECT_EQ(API::ReduceLambdaExperiment(root.get(), c.mask), c.status);
        EXPECT_EQ(Channels(root.get()), c.channels);
    }
    EXPECT_EQ(API::ReduceLambdaExperiment(nullptr, 1), -4);
}

TEST(ExperimentSpectral, RemoveSpectralLeaves)
{
    ExpTree root(Time(
        2, {XY(2, {Spect({u"A"}), Z(2, {Spect({u"B"})})}), Spect({u"C"}), Spect({u"D"}, {Z(3)})}));
    EXPECT_EQ(API::RemoveLambdaExperiment(root.get()), 0);
    EXPECT_EQ(Channels(root.get()), "1[2[4] {D}[4]]");
    ExpTree only(Time(2, {Spect({u"A"})}));
    EXPECT_EQ(API::RemoveLambdaExperiment(only.get()), 0);
    EXPECT_EQ(only->ppNextLevelEx, nullptr);
    EXPECT_EQ(only->uiNextLevelCount, 0u);
    EXPECT_EQ(API::RemoveLambdaExperiment(nullptr), -4);
}

TEST(ExperimentSpectral, ShapesOfTwoTrees)
{
    struct SCase {
        const char* name;
        std::function<E*()> a, b;
        bool mergeable, compatible;
    };
    const std::vector<SCase> table = {
        {"channels may differ", [] { return Time(3, {Spect({u"A"})}); },
         [] {
             return Time(3, {Spect({u"B", u"C"})});
         },
         true, true},
        {"sizes differ", [] { return Time(3); }, [] { return Time(4); }, false, false},
        {"types differ", [] { return Time(3, {Z(2)}); }, [] { return XY(3, {Z(2)}); }, false,
         false},
        {"one side without children", [] { return Time(3); }, [] { return Time(3, {Z(2)}); }, true,
         true},
        {"child counts differ",
         [] {
             return XY(2, {Z(2), Z(2)});
         },
         [] { return XY(2, {Z(2)}); }, false, false},
        {"children differ", [] { return Time(3, {Z(2)}); }, [] { return Time(3, {Z(3)}); }, false,
         false},
        {"spectral roots", [] { return Spect({u"A"}); },
         [] {
             return Spect({u"B", u"C"});
         },
         true, false},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree a(c.a()), b(c.b());
        EXPECT_EQ(API::CanLambdaExperimentsBeMerged(a.get(), b.get()), c.mergeable);
        EXPECT_EQ(API::IsExperimentCompatible(a.get(), b.get()), c.compatible);
    }
    EXPECT_FALSE(API::CanLambdaExperimentsBeMerged(nullptr, nullptr));
}

TEST(ExperimentSpectral, MergeTwoTrees)
{
    const SPlanes p({u"P"}), q({u"Q"}), none({});
    struct SCase {
        const char* name;
        std::function<E*()> a, b;
        int status;
        std::string channels;
    };
    const std::vector<SCase> table = {
        {"two spectral levels",
         [] {
             return Flags(Spect({u"A", u"B"}), {1, 0});
         },
         [] { return Spect({u"C"}); }, 0, "{A,C}"},
        {"two leaves", [] { return Time(3); }, [] { return Time(3); }, 0, "1[{P,Q}]"},
        {"children of A alone", [] { return Time(3, {Flags(Spect({u"A"}), {0})}); },
         [] { return Time(3); }, 0, "1[{-A,Q}]"},
        {"children of B alone", [] { return Time(3); },
         [] {
             return Time(3, {Flags(Spect({u"B", u"X", u"C"}), {1, 0, 1})});
         },
         0, "1[{P,B,C}]"},
        {"children on both sides",
         [] {
             return XY(2, {Spect({u"A"}), Spect({u"B"})});
         },
         [] {
             return XY(2, {Spect({u"C"}), Spect({u"D"})});
         },
         0, "2[{A,C} {B,D}]"},
        {"types differ", [] { return Time(3); }, [] { return XY(3); }, -4, "1"},
        {"A's children are not spectral", [] { return Time(3, {Z(2)}); }, [] { return Time(3); },
         -4, "1[4]"},
        {"repeat counts differ",
         [] {
             return XY(3, {Repeat(Spect({u"A"}), 2), Spect({u"B"})});
         },
         [] {
             return XY(3, {Spect({u"C"}), Repeat(Spect({u"D"}), 2)});
         },
         -4, "2[{A} {B}]"},
    };
    for (const SCase& c : table) {
        SCOPED_TRACE(c.name);
        ExpTree a(c.a()), b(c.b());
        const std::string before = Channels(b.get());
        EXPECT_EQ(API::MergeLambdaExperiments(a.get(), p.planes, b.get(), q.planes), c.status);
        EXPECT_EQ(Channels(a.get()), c.channels);
        EXPECT_EQ(Channels(b.get()), before);
    }
    ExpTree unknown(Level(E::eEtUnknown, 0));
    ExpTree other(Level(E::eEtUnknown, 0));
    EXPECT_EQ(API::MergeLambdaExperiments(unknown.get(), p.planes, other.get(), q.planes), -4);
    EXPECT_EQ(API::MergeLambdaExperiments(nullptr, p.planes, other.get(), q.planes), -4);

    // An empty channel list gives a default channel.
    ExpTree a(Time(3)), b(Time(3));
    EXPECT_EQ(API::MergeLambdaExperiments(a.get(), none.planes, b.get(), q.planes), 0);
    EXPECT_EQ(Channels(a.get()), "1[{,Q}]");
}

TEST(ExperimentSpectral, AppendChannelsEverywhere)
{
    const SPlanes p({u"P"}), qr({u"Q", u"R"});
    ExpTree root(XY(2, {Flags(Spect({u"A", u"B"}), {0, 1}), Time(2)}));
    EXPECT_EQ(API::MergeLambdaExperiments(root.get(), p.planes, qr.planes), 0);
    EXPECT_EQ(Channels(root.get()), "2[{-A,B,Q,R} 1[{P,Q,R}]]");
    const E& spect = *root->ppNextLevelEx[0];
    EXPECT_EQ(spect.uLoopPars.sSpectLoop.pAutoFocus[3].eType, 0u);
    EXPECT_TRUE(spect.uLoopPars.sSpectLoop.szCommandAfterCapture[3].IsEmpty());
    EXPECT_EQ(API::MergeLambdaExperiments(nullptr, p.planes, qr.planes), -4);
}

// ---- Colour tables from picture metadata

struct SMetadata {
    SLxPictureMetadata meta;
    // Planes of the given component counts and colours.
    SMetadata(std::initializer_list<std::pair<uint32_t, uint32_t>> planes)
    {
        SLxPicturePlanes& p = meta.sPicturePlanes;
        SLxPicturePlanes::Free(p);
        SLxPicturePlanes::Alloc(p, uint32_t(planes.size()));
        uint32_t i = 0;
        p.uiCompCount = 0;
        for (const auto& plane : planes) {
            p.sPlane[i].uiCompCount = plane.first;
            p.sPlane[i].uiColor = plane.second;
            p.uiCompCount += plane.first;
            ++i;
        }
    }
};

// Entry `value` of table c as blue, green, red.
std::vector<int> Entry(const SLxLut& lut, uint32_t c, uint32_t value)
{
    const uint8_t* row = static_cast<uint8_t***>(lut.pTable)[c][value];
    return {row[0], row[1], row[2]};
}

TEST(ExperimentColors, TablesFromPlaneColours)
{
    SMetadata rgb({{3, 0x123456}});
    SLxLut lut;
    ASSERT_EQ(API::CreateLutsFromMetadata(&lut, &rgb.meta, 8, 3, 8), 0);
    EXPECT_EQ(lut.uiLutCount, 3u);
    EXPECT_EQ(lut.uiDstComps, 3u);
    EXPECT_EQ(lut.uiCompMask, ~uint64_t(0));
    EXPECT_EQ(Entry(lut, 0, 255), (std::vector<int>{255, 0, 0})); // 0xFF0000: blue
    EXPECT_EQ(Entry(lut, 1, 255), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(Entry(lut, 2, 255), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(Entry(lut, 2, 0), (std::vector<int>{0, 0, 0}));
    SLxLut::Free(&lut);

    // A mono plane's colour (0x00BBGGRR), then an RGB plane; a plane of two
    // components leaves its colours white.
    SMetadata mixed({{1, 0x0000FF}, {2, 0}, {3, 0}});
    ASSERT_EQ(API::CreateLutsFromMetadata(&lut, &mixed.meta, 8, 6, 8), 0);
    EXPECT_EQ(Entry(lut, 0, 255), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(Entry(lut, 1, 255), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(Entry(lut, 3, 255), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(Entry(lut, 5, 255), (std::vector<int>{0, 0, 255}));
    SLxLut::Free(&lut);

    EXPECT_EQ(API::CreateLutsFromMetadata(&lut, &rgb.meta, 8, 1, 8), -9);
    EXPECT_EQ(API::CreateLutsFromMetadata(&lut, nullptr, 8, 3, 8), -9);
    EXPECT_EQ(API::CreateLutsFromMetadata(nullptr, &rgb.meta, 8, 3, 8), -4);
    EXPECT_EQ(lut.pTable, nullptr);
}

struct SPic {
    SLxPicBuf pic;
    SPic(uint32_t w, uint32_t h, uint32_t bits, uint32_t comps)
    {
        CLxPicBufAPI::Init(&pic);
        EXPECT_EQ(CLxPicBufAPI::Reinit(&pic, w, h, 0, bits, comps, true), 0);
    }
    ~SPic() { CLxPicBufAPI::Free(&pic); }
    uint8_t* Bytes() { return static_cast<uint8_t*>(pic.pData); }
};

TEST(ExperimentColors, TrueColourThroughMetadata)
{
    SPic src(2, 1, 8, 1), dst(2, 1, 8, 3);
    src.Bytes()[0] = 255;
    src.Bytes()[1] = 128;
    SMetadata green({{1, 0x00FF00}});
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(&dst.pic, &src.pic, &green.meta), 0);
    EXPECT_EQ(std::vector<int>(dst.Bytes(), dst.Bytes() + 6),
              (std::vector<int>{0, 255, 0, 0, 128, 0}));

    // Metadata of another component count: the destination stays as it is.
    std::fill(dst.Bytes(), dst.Bytes() + dst.pic.uiSize, 0xAB);
    SMetadata rgb({{3, 0}});
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(&dst.pic, &src.pic, &rgb.meta), -9);
    EXPECT_EQ(std::vector<int>(dst.Bytes(), dst.Bytes() + 6), std::vector<int>(6, 0xAB));

    // A destination that cannot hold the picture.
    SPic small(1, 1, 8, 3), grey(2, 1, 8, 1);
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(&small.pic, &src.pic, &green.meta), -4);
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(&grey.pic, &src.pic, &green.meta), -4);
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(nullptr, &src.pic, &green.meta), -4);
    // A source record whose lines lie outside its memory.
    SLxPicBuf lying = src.pic;
    lying.uiHeight = 5;
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(&dst.pic, &lying, &green.meta), -4);
    lying = src.pic;
    lying.uiWidthBytes = 1;
    EXPECT_EQ(API::ConvertToTrueColorViaMetadata(&dst.pic, &lying, &green.meta), -4);
    EXPECT_EQ(std::vector<int>(dst.Bytes(), dst.Bytes() + 6), std::vector<int>(6, 0xAB));
}

// ---- Trace

class ExperimentTrace : public VariantTest
{
  protected:
    // The trace records, each without the debugger outlet's window tag and
    // its line end.
    std::vector<std::string> records()
    {
        std::vector<std::string> lines;
        for (std::string text : outputs()) {
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            if (text.rfind("|wndid:", 0) == 0)
                text.erase(0, text.find(' ') + 1);
            lines.push_back(text);
        }
        return lines;
    }
};

TEST_F(ExperimentTrace, OneRecordPerLevel)
{
    ExpTree root(Time(3, {Z(2, {Flags(Spect({u"A", u"X", u"B"}), {1, 0, 1})})}));
    API::Trace(root.get(), nullptr);
    EXPECT_EQ(records(), (std::vector<std::string>{"( 1)T", "    ( 1)Z", "        ( 1)Ch - A|B"}));

    ExpTree branched(XY(3, {Repeat(Z(2), 2), Repeat(Level(E::eEtPolar, 2), 12)}));
    API::Trace(branched.get(), u">");
    EXPECT_EQ(records(), (std::vector<std::string>{">( 1)XY", ">    ( 2)Z", ">    (12)U"}));

    const std::string ruler = "  +-------------------------------------------";
    ExpTree ne(NETime({{2, true, {Z(2)}}, {2, false, {Z(3)}}, {1, true, {XY(4)}}}));
    API::Trace(ne.get(), u"");
    EXPECT_EQ(records(),
              (std::vector<std::string>{"( 1)T", ruler, "  |( 1)Z", ruler, "  |( 1)XY", ruler}));

    API::Trace(nullptr, u"x");
    EXPECT_TRUE(records().empty());
}

} // namespace
