// Experiment levels and trees through their variants and the UTF-8 variant
// XML text: every loop type comes back equal, the item names and shapes are
// the stored ones, and damaged variants load into levels whose counts agree
// with their arrays (the leak check of the sanitizer build watches every
// release).
#include <gtest/gtest.h>

#include <string>

#include "fuzz/experiment_samples.h"
#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/serializerxml/xml_test_support.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

typedef SLxExperiment E;
using lx_samples::NewLevel;

CLxVariant ThroughXml(const CLxVariant& v)
{
    CLxStringA text;
    EXPECT_EQ(CLxXMLAPI::VariantToXMLDocument_UTF8(text, v), 0);
    CLxVariant back;
    EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(back, text), 0);
    return back;
}

CLxVariant Saved(const E& e, bool tree = true)
{
    CLxVariant v;
    EXPECT_EQ(tree ? E::SaveToVariant(v, e) : E::SaveToVariantOld(v, e), 0);
    return v;
}

// A new heap level loaded from v (tree form), or null when the load fails.
E* Loaded(const CLxVariant& v, int expected = 0)
{
    E* e = nullptr;
    EXPECT_EQ(E::Alloc(&e), 0);
    const int res = E::LoadFromVariant(*e, v);
    EXPECT_EQ(res, expected);
    if (res != 0) {
        E::FreeRecursive(e);
        return nullptr;
    }
    return e;
}

CLxVariant& LoopOf(CLxVariant& v)
{
    return v[u"uLoopPars"][0];
}

std::vector<std::string> ItemNames(const CLxVariant& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.push_back(NameOf(list[i]));
    return names;
}

// The names "000", "001", ... as a variant keeps them: a name never starts
// with a digit, which becomes '_' ("_00", "_01", ...).
std::vector<std::string> Numbered(int n)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) {
        CLxStringW name;
        name.Format(u"%03u", unsigned(i));
        CLxVariant::ValidateName(name);
        names.push_back(U8(name.GetString()));
    }
    return names;
}

class ExperimentVariant : public VariantTest
{
};

TEST_F(ExperimentVariant, EveryLoopTypeSurvivesTheXmlText)
{
    std::vector<std::string> documents;
    for (const auto& sample : lx_samples::SampleTrees()) {
        SCOPED_TRACE(sample.first);
        E* tree = sample.second();
        ASSERT_NE(tree, nullptr);
        documents.push_back(DocumentA(Saved(*tree)).GetString());
        E* back = Loaded(ThroughXml(Saved(*tree)));
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(E::IsEqual(*tree, *back, true));
        EXPECT_EQ(back->uiRepeatCount, tree->uiRepeatCount);

        // The one-level form holds the level alone.
        E one;
        ASSERT_EQ(E::LoadFromVariantOld(one, ThroughXml(Saved(*tree, false))), 0);
        EXPECT_TRUE(E::IsEqual(*tree, one, false));
        EXPECT_EQ(one.uiNextLevelCount, 0u);
        E* oneTree = Loaded(ThroughXml(Saved(*tree, false)));
        ASSERT_NE(oneTree, nullptr);
        EXPECT_EQ(oneTree->uiRepeatCount, 0u);
        EXPECT_EQ(oneTree->ppNextLevelEx, nullptr);
        E::FreeRecursive(oneTree);

        E::FreeRecursive(back);
        E::FreeRecursive(tree);
        expectNoReport();
    }
    SKIP_WITHOUT_XMLLINT();
    EXPECT_EQ(XmllintComplaints(documents), "");
}

TEST_F(ExperimentVariant, WhatEqualityLeavesOutComesBackToo)
{
    E* tree = lx_samples::NETimeLevel();
    E* back = Loaded(ThroughXml(Saved(*tree)));
    ASSERT_NE(back, nullptr);
    const E::SLxExpNETimeLoop& ne = back->uLoopPars.sNETimeLoop;
    EXPECT_EQ(ne.uiCount, 40u);
    EXPECT_TRUE(back->bOwnsSubLoopLevels);
    ASSERT_NE(ne.pSubLoops, nullptr);
    EXPECT_EQ(ne.pSubLoops[1].uiNextLevelCount, 0u);
    EXPECT_EQ(ne.pSubLoops[1].ppNextLevelEx, nullptr);
    for (uint32_t p : {0u, 2u}) {
        const E::SLxSubLoopsDefinition& from = tree->uLoopPars.sNETimeLoop.pSubLoops[p];
        const E::SLxSubLoopsDefinition& to = ne.pSubLoops[p];
        ASSERT_EQ(to.uiNextLevelCount, from.uiNextLevelCount);
        for (uint32_t i = 0; i < to.uiNextLevelCount; ++i)
            EXPECT_TRUE(E::IsEqual(*from.ppNextLevelEx[i], *to.ppNextLevelEx[i], true));
    }
    E::FreeRecursive(back);
    E::FreeRecursive(tree);

    tree = lx_samples::TimeLevel();
    back = Loaded(ThroughXml(Saved(*tree)));
    ASSERT_NE(back, nullptr);
    const E::SLxExpTimeLoop &a = tree->uLoopPars.sTimeLoop, &b = back->uLoopPars.sTimeLoop;
    EXPECT_TRUE(E::SLxExpAutoFocus::IsEqual(a.sAutoFocusBeforePeriod, b.sAutoFocusBeforePeriod));
    EXPECT_TRUE(E::SLxExpAutoFocus::IsEqual(a.sAutoFocusBeforeCapture, b.sAutoFocusBeforeCapture));
    E::FreeRecursive(back);
    E::FreeRecursive(tree);
}

TEST_F(ExperimentVariant, ListsHoldTheStoredItemNamesAndShapes)
{
    E* time = lx_samples::NewLevel(E::eEtTime, 4, 0, true);
    time->aMeasProbesBase64 = u"ab";
    CLxVariant v = Saved(*time);
    EXPECT_EQ(RunTypeOf(v), "RLxExperiment");
    EXPECT_EQ(v.GetCount(), 17);
    EXPECT_EQ(ItemNames(v[u"pItemValid"]), Numbered(4));
    EXPECT_EQ(RunTypeOf(v[u"pItemValid"][3]), "bool");
    ASSERT_EQ(v[u"uLoopPars"].GetCount(), 1);
    EXPECT_EQ(RunTypeOf(LoopOf(v)), "RLxExperiment.RLxExpTimeLoop");
    const CLxByteArray bytes = v[u"aMeasProbesBase64"].GetCLxByteArray();
    ASSERT_EQ(bytes.GetSize(), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.GetData()), 6),
              std::string("a\0b\0\0\0", 6));
    EXPECT_EQ(v[u"pLargeImage"].GetCount(), 0);
    EXPECT_EQ(v[u"ppNextLevelEx"].GetCount(), 0);
    E::FreeRecursive(time);

    E* none = lx_samples::NewLevel(E::eEtTime, 4);
    EXPECT_EQ(Saved(*none)[u"pItemValid"].GetCount(), 0);
    E::FreeRecursive(none);

    E* xy = lx_samples::XYLevel();
    v = Saved(*xy);
    EXPECT_EQ(ItemNames(LoopOf(v)[u"dPosX"]),
              (std::vector<std::string>{"item_00000", "item_00001", "item_00002"}));
    EXPECT_EQ(ItemNames(LoopOf(v)[u"pPosName"]), ItemNames(LoopOf(v)[u"dPFSOffset"]));
    E::FreeRecursive(xy);

    E* large = lx_samples::TimeLevel();
    v = Saved(*large);
    ASSERT_EQ(v[u"pLargeImage"].GetCount(), 1);
    EXPECT_EQ(RunTypeOf(v[u"pLargeImage"][0]), "RLxExperiment.RLxLIDesc");
    EXPECT_EQ(v[u"pLargeImage"][0][u"iYFields"].GetLx_int32(), -4);
    E::FreeRecursive(large);

    E* grid = lx_samples::GridLevel();
    v = Saved(*grid);
    EXPECT_EQ(NameOf(LoopOf(v)[u"uiCol"][3]), "item_00003");
    EXPECT_EQ(RunTypeOf(LoopOf(v)[u"uiCol"][3]), "lx_uint32");
    EXPECT_EQ(NameOf(LoopOf(v)[u"dPosZ"][3]), Numbered(4)[3]);
    E::FreeRecursive(grid);

    E* spect = lx_samples::SpectLevel();
    v = Saved(*spect);
    EXPECT_EQ(ItemNames(LoopOf(v)[u"pPlaneDesc"]), Numbered(3));
    EXPECT_EQ(RunTypeOf(LoopOf(v)[u"pAutoFocus"][2]), "RLxExperiment.RLxExpAutoFocus");
    EXPECT_EQ(NameOf(LoopOf(v)[u"szCommandAfterCapture"][1]), Numbered(2)[1]);
    E::FreeRecursive(spect);

    E* ne = lx_samples::NETimeLevel();
    v = Saved(*ne);
    CLxVariant& loop = LoopOf(v);
    EXPECT_EQ(ItemNames(loop[u"pPeriod"]), Numbered(3));
    EXPECT_EQ(RunTypeOf(loop[u"pPeriod"][1]), "RLxExperiment.RLxExpTimeLoop");
    EXPECT_EQ(loop[u"pPeriodValid"][1].GetBool(), false);
    ASSERT_EQ(loop[u"pSubLoops"].GetCount(), 3);
    EXPECT_EQ(loop[u"pSubLoops"][1].GetCount(), 0);
    EXPECT_EQ(loop[u"pSubLoops"][2].GetCount(), 2);
    EXPECT_EQ(RunTypeOf(loop[u"pSubLoops"][2][1]), "RLxExperiment");
    E::FreeRecursive(ne);

    // The tree form alone carries the repeat counts and next levels.
    E* branches = lx_samples::Branches();
    v = Saved(*branches);
    ASSERT_EQ(v[u"ppNextLevelEx"].GetCount(), 2);
    EXPECT_EQ(v[u"ppNextLevelEx"][0][u"uiRepeatCount"].GetLx_uint32(), 2u);
    EXPECT_EQ(v[u"uiRepeatCount"].GetLx_uint32(), 1u);
    CLxVariant old = Saved(*branches, false);
    EXPECT_EQ(old[u"ppNextLevelEx"].GetCount(), 0);
    EXPECT_EQ(old[u"uiRepeatCount"].GetLx_uint32(), 0u);
    E::FreeRecursive(branches);
    expectNoReport();
}

TEST_F(ExperimentVariant, AutoFocusRecordsOfAnotherRunTypeAreRefusedQuietly)
{
    const E::SLxExpAutoFocus af = lx_samples::AutoFocus(3, 0.5);
    CLxVariant v;
    ASSERT_EQ(E::SLxExpAutoFocus::SaveToVariant(v, af), 0);
    EXPECT_EQ(RunTypeOf(v), "RLxExperiment.RLxExpAutoFocus");
    E::SLxExpAutoFocus back = lx_samples::AutoFocus(0, 0);
    ASSERT_EQ(E::SLxExpAutoFocus::LoadFromVariant(back, ThroughXml(v)), 0);
    EXPECT_TRUE(E::SLxExpAutoFocus::IsEqual(af, back));

    E::SLxExpAutoFocus kept = lx_samples::AutoFocus(7, 7);
    EXPECT_EQ(E::SLxExpAutoFocus::LoadFromVariant(kept, CLxVariant(1.0, u"x")), -4);
    EXPECT_EQ(kept.eType, 7u);
    expectNoReport();

    // Before the loop it decides the level's load, which leaves no buffers.
    E* xy = lx_samples::XYLevel();
    CLxVariant level = Saved(*xy);
    level[u"sAutoFocusBeforeLoop"].EnableTypeChange(true);
    level[u"sAutoFocusBeforeLoop"] = CLxStringW(u"none");
    E target;
    EXPECT_EQ(E::LoadFromVariantOld(target, level), -4);
    EXPECT_EQ(target.eType, E::eEtUnknown);
    EXPECT_EQ(target.uLoopPars.sXYPosLoop.dPosX, nullptr);
    EXPECT_EQ(target.pItemValid, nullptr);
    expectNoReport();
    E::FreeRecursive(xy);
}

TEST_F(ExperimentVariant, PositionListsShorterThanTheCountGiveThePointsThatExist)
{
    E* xy = lx_samples::XYLevel();
    CLxVariant v = Saved(*xy);
    LoopOf(v)[u"uiCount"] = 5u;
    E* back = Loaded(v);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(report().expression, "iLoopCount != lx_int32(aExpXYPosLoop.uiCount)");
    EXPECT_EQ(back->uLoopPars.sXYPosLoop.uiCount, 3u);
    EXPECT_EQ(back->uLoopPars.sXYPosLoop.dPosX[2], xy->uLoopPars.sXYPosLoop.dPosX[2]);
    E::FreeRecursive(back);

    // Names are read where they exist; a missing one is empty.
    v = Saved(*xy);
    ASSERT_TRUE(LoopOf(v)[u"pPosName"].Delete(0));
    ASSERT_TRUE(LoopOf(v)[u"pPosName"].Delete(0));
    back = Loaded(v);
    EXPECT_EQ(U8(back->uLoopPars.sXYPosLoop.pPosName[0].GetString()), "");
    EXPECT_EQ(back->uLoopPars.sXYPosLoop.uiCount, 3u);
    E::FreeRecursive(back);
    E::FreeRecursive(xy);

    E* grid = lx_samples::GridLevel();
    v = Saved(*grid);
    LoopOf(v)[u"uiCount"] = 2u;
    back = Loaded(v);
    EXPECT_EQ(report().expression, "iLoopCount != lx_int32(aExpXYDiscrLoop.uiCount)");
    EXPECT_EQ(back->uLoopPars.sXYDiscrLoop.uiCount, 2u);
    EXPECT_EQ(back->uLoopPars.sXYDiscrLoop.uiCol[1], 4000000000u);
    E::FreeRecursive(back);

    // A count far beyond the items never sizes an array.
    v = Saved(*grid);
    LoopOf(v)[u"uiCount"] = 4000000000u;
    ASSERT_TRUE(LoopOf(v)[u"dPosZ"].Delete(3));
    back = Loaded(v);
    reports();
    EXPECT_EQ(back->uLoopPars.sXYDiscrLoop.uiCount, 4u);
    EXPECT_EQ(back->uLoopPars.sXYDiscrLoop.dPosZ[3], 0.0);
    E::FreeRecursive(back);
    E::FreeRecursive(grid);
}

TEST_F(ExperimentVariant, PeriodsCountTheFramesOfTheValidOnes)
{
    E* ne = lx_samples::NETimeLevel();
    CLxVariant v = Saved(*ne);
    LoopOf(v)[u"uiCount"] = 999u;
    LoopOf(v)[u"uiPeriodCount"] = 77u;
    E* back = Loaded(v);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.uiCount, 40u);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.uiPeriodCount, 3u);
    E::FreeRecursive(back);

    // One flag: the periods after it are valid.
    v = Saved(*ne);
    CLxVariant& valid = LoopOf(v)[u"pPeriodValid"];
    valid[0] = false;
    ASSERT_TRUE(valid.Delete(2));
    ASSERT_TRUE(valid.Delete(1));
    back = Loaded(v);
    const E::SLxExpNETimeLoop& loop = back->uLoopPars.sNETimeLoop;
    EXPECT_EQ(loop.pPeriodValid[0], 0);
    EXPECT_EQ(loop.pPeriodValid[1], 1);
    EXPECT_EQ(loop.pPeriodValid[2], 1);
    EXPECT_EQ(loop.uiCount, 50u);
    E::FreeRecursive(back);

    // No period without its closing command.
    v = Saved(*ne);
    LoopOf(v)[u"szCommandAfterPeriod"].ClearList();
    back = Loaded(v);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.uiPeriodCount, 0u);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.uiCount, 0u);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.pPeriod, nullptr);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.pSubLoops, nullptr);
    EXPECT_FALSE(back->bOwnsSubLoopLevels);
    E::FreeRecursive(back);

    // Frames beyond 32 bits stop at the largest count.
    v = Saved(*ne);
    LoopOf(v)[u"pPeriod"][0][u"uiCount"] = 4000000000u;
    LoopOf(v)[u"pPeriod"][2][u"uiCount"] = 4000000000u;
    back = Loaded(v);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.uiCount, 0xFFFFFFFFu);
    E::FreeRecursive(back);

    // Sub-loop levels that do not load are left out; a period list without
    // any level that loads leaves no sub-loops.
    v = Saved(*ne);
    CLxVariant& subs = LoopOf(v)[u"pSubLoops"];
    subs[0][0].EnableTypeChange(true);
    subs[0][0] = 5;
    subs[2][0].EnableTypeChange(true);
    subs[2][0] = CLxStringW(u"no level");
    back = Loaded(v);
    ASSERT_NE(back->uLoopPars.sNETimeLoop.pSubLoops, nullptr);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.pSubLoops[0].uiNextLevelCount, 0u);
    ASSERT_EQ(back->uLoopPars.sNETimeLoop.pSubLoops[2].uiNextLevelCount, 1u);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.pSubLoops[2].ppNextLevelEx[0]->eType, E::eEtCustom);
    E::FreeRecursive(back);
    subs[2][1].EnableTypeChange(true);
    subs[2][1] = 1.5;
    back = Loaded(v);
    EXPECT_EQ(back->uLoopPars.sNETimeLoop.pSubLoops, nullptr);
    EXPECT_FALSE(back->bOwnsSubLoopLevels);
    E::FreeRecursive(back);
    outputs();
    E::FreeRecursive(ne);
}

TEST_F(ExperimentVariant, NextLevelsOfAnotherRunTypeAreSkippedInOrder)
{
    E* root = NewLevel(E::eEtTime, 2, 3);
    root->ppNextLevelEx[0] = lx_samples::ZLevel();
    root->ppNextLevelEx[1] = lx_samples::PolarLevel();
    root->ppNextLevelEx[2] = lx_samples::CustomLevel();
    CLxVariant v = Saved(*root);
    CLxVariant& middle = v[u"ppNextLevelEx"][1];
    middle.EnableTypeChange(true);
    middle.SetRunTypeCompatible(CLxVariantRunType("RLxPicturePlanes"));
    E* back = Loaded(ThroughXml(v));
    ASSERT_EQ(back->uiNextLevelCount, 2u);
    EXPECT_EQ(back->ppNextLevelEx[0]->eType, E::eEtZStack);
    EXPECT_EQ(back->ppNextLevelEx[1]->eType, E::eEtCustom);
    EXPECT_TRUE(E::IsEqual(*back->ppNextLevelEx[1], *root->ppNextLevelEx[2], true));
    expectNoReport();
    E::FreeRecursive(back);
    E::FreeRecursive(root);
}

TEST_F(ExperimentVariant, AnotherRunTypeIsATraceRecordAndLeavesTheLevel)
{
    SLxPicturePlanes planes;
    CLxVariant v;
    ASSERT_EQ(SLxPicturePlanes::SaveToVariant(v, planes), 0);
    E level;
    level.wsUserDesc = u"kept";
    EXPECT_EQ(E::LoadFromVariant(level, v), -4);
    EXPECT_EQ(E::LoadFromVariantOld(level, v), -4);
    EXPECT_EQ(U8(level.wsUserDesc.GetString()), "kept");
    EXPECT_TRUE(level.bControlShutter);
    // Two trace records, no assertion report.
    int found = 0;
    for (const std::string& text : outputs()) {
        EXPECT_EQ(text.find("Debug Assertion Failed"), std::string::npos);
        found += text.find("Wrong variant runtype('RLxPicturePlanes'), expected "
                           "'RLxExperiment'.") != std::string::npos;
    }
    EXPECT_EQ(found, 2);
}

TEST_F(ExperimentVariant, ProbeBytesAreUtf16UpToTheirFirstZero)
{
    E* time = NewLevel(E::eEtTime, 1);
    CLxVariant v = Saved(*time);
    E level;
    level.aMeasProbesBase64 = u"before";
    v[u"aMeasProbesBase64"] = CLxByteArray();
    ASSERT_EQ(E::LoadFromVariantOld(level, v), 0);
    EXPECT_EQ(U8(level.aMeasProbesBase64.GetString()), "before");

    // No terminator and an odd last byte: the whole units are read.
    const uint8_t bytes[] = {'Q', 0, 0xB5, 0, 'Z'};
    v[u"aMeasProbesBase64"] = CLxByteArray(bytes, sizeof bytes, 16);
    E::Uninit(level);
    ASSERT_EQ(E::LoadFromVariantOld(level, v), 0);
    EXPECT_EQ(U8(level.aMeasProbesBase64.GetString()), "Q\u00b5");
    E::FreeRecursive(time);
}

TEST_F(ExperimentVariant, ZStackTextsAreCutToTheirArrays)
{
    E* z = lx_samples::ZLevel();
    CLxVariant v = Saved(*z);
    const std::u16string device(200, u'd');
    LoopOf(v)[u"sZDevice"] = CLxStringW(device.c_str());
    std::u16string command(498, u'c');
    command += u"\U0001F600";
    LoopOf(v)[u"sCommandAfterCapture"] = CLxStringW(command.c_str());
    E* back = Loaded(ThroughXml(v));
    const E::SLxExpZStackLoop& loop = back->uLoopPars.sZStackLoop;
    EXPECT_EQ(std::u16string(loop.sZDevice), device.substr(0, 127));
    // The pair would be split at 499 units: the text ends before it.
    EXPECT_EQ(std::u16string(loop.sCommandAfterCapture), command.substr(0, 498));
    EXPECT_EQ(std::u16string(loop.sCommandBeforeCapture), u"z before");
    E::FreeRecursive(back);

    std::u16string pair(126, u'p');
    pair += u"\U0001F600";
    LoopOf(v)[u"sZDevice"] = CLxStringW(pair.c_str());
    back = Loaded(v);
    EXPECT_EQ(std::u16string(back->uLoopPars.sZStackLoop.sZDevice), pair.substr(0, 126));
    E::FreeRecursive(back);
    E::FreeRecursive(z);
}

TEST_F(ExperimentVariant, ItemFlagsAgreeWithTheLoopCount)
{
    E* time = lx_samples::TimeLevel();
    CLxVariant v = Saved(*time);
    LoopOf(v)[u"uiCount"] = 3u;
    E* back = Loaded(v);
    ASSERT_NE(back->pItemValid, nullptr);
    EXPECT_EQ(back->uLoopPars.sTimeLoop.uiCount, 3u);
    EXPECT_EQ(CLxAlloc::Size(back->pItemValid), 3u);
    expectNoReport();
    E::FreeRecursive(back);

    v = Saved(*time);
    LoopOf(v)[u"uiCount"] = 9u;
    back = Loaded(v);
    EXPECT_EQ(report().expression, "iValidCount >= lx_int32(aExperiment.uLoopPars.uiCount)");
    EXPECT_EQ(back->pItemValid, nullptr);
    E::FreeRecursive(back);
    E::FreeRecursive(time);
}

TEST_F(ExperimentVariant, LoopTypesWithoutARecordAndRecordsOfTheWrongType)
{
    for (uint32_t type : {9u, 10u, 77u}) {
        E level;
        ASSERT_EQ(E::Init(level, E::ELxExperimentType(type), false, 6, 0, 0), 0);
        CLxVariant v;
        EXPECT_EQ(E::SaveToVariant(v, level), 0);
        EXPECT_EQ(report(), (SReport{"aExperiment.eType != eEtUnknown", "Unknown loop type."}));
        ASSERT_EQ(v[u"uLoopPars"].GetCount(), 1);
        EXPECT_TRUE(LoopOf(v).IsNull());
        E back;
        EXPECT_EQ(E::LoadFromVariant(back, ThroughXml(v)), 0);
        EXPECT_EQ(report(), (SReport{"aExperiment.eType != eEtUnknown", "Unknown loop type."}));
        EXPECT_EQ(uint32_t(back.eType), type);
        EXPECT_EQ(back.uLoopPars.uiCount, 0u);
    }

    E unknown;
    CLxVariant v = Saved(unknown);
    E back;
    EXPECT_EQ(E::LoadFromVariant(back, v), 0);
    EXPECT_EQ(back.eType, E::eEtUnknown);
    expectNoReport();

    // A polar record read as a Z stack: reported, loaded as far as it goes.
    E* polar = lx_samples::PolarLevel();
    v = Saved(*polar);
    v[u"eType"] = lx_uint32(E::eEtZStack);
    E* z = Loaded(v);
    EXPECT_EQ(report().expression, "vLoopPars.GetRunType() != "
                                   "CLxVariantRunType(L\"RLxExperiment.RLxExpZStackLoop\")");
    EXPECT_EQ(z->uLoopPars.sZStackLoop.uiCount, 8u);
    EXPECT_EQ(z->uLoopPars.sZStackLoop.sZDevice[0], 0);
    E::FreeRecursive(z);
    E::FreeRecursive(polar);

    // A spectral channel that is no channel is reported and left default.
    E* spect = lx_samples::SpectLevel();
    v = Saved(*spect);
    LoopOf(v)[u"pPlaneDesc"][1].EnableTypeChange(true);
    LoopOf(v)[u"pPlaneDesc"][1] = 3;
    E* back2 = Loaded(v);
    const std::vector<SReport> all = reports();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().expression, "res != LX_OK");
    EXPECT_EQ(back2->uLoopPars.sSpectLoop.uiCount, 3u);
    EXPECT_EQ(back2->uLoopPars.sSpectLoop.pPlaneDesc[1].uiCompCount, 1u);
    E::FreeRecursive(back2);
    E::FreeRecursive(spect);
}

TEST_F(ExperimentVariant, LoadingIntoAUsedLevelReleasesItsLoopAndKeepsItsChildren)
{
    E* root = lx_samples::Chain();
    E* grid = lx_samples::GridLevel();
    const CLxVariant v = Saved(*grid, false);
    ASSERT_EQ(E::LoadFromVariantOld(*root, v), 0);
    EXPECT_EQ(root->eType, E::eEtXYDiscr);
    ASSERT_EQ(root->uiNextLevelCount, 1u);
    EXPECT_EQ(root->ppNextLevelEx[0]->eType, E::eEtXYPos);
    EXPECT_TRUE(E::IsEqual(*root, *grid, false));
    E::FreeRecursive(root);
    E::FreeRecursive(grid);
}

} // namespace
