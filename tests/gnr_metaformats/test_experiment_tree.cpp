// Levels of the experiment tree: set-up, sharing and deep copies, release
// (the leak check of the sanitizer build watches every test), comparison.
#include <gtest/gtest.h>

#include "gnr_metaformats/LxExperiment.h"
#include "gnr_system/variant/variant_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

typedef SLxExperiment E;

// A heap level set up with Init.
E* NewLevel(E::ELxExperimentType type, uint32_t count, uint32_t children = 0, bool flags = false,
            uint32_t periods = 0)
{
    E* level = nullptr;
    EXPECT_EQ(E::Alloc(&level), 0);
    EXPECT_EQ(E::Init(*level, type, flags, count, periods, children), 0);
    return level;
}

// time 3 -> Z 2 -> spectral 2 (owned chain).
E* Chain()
{
    E* time = NewLevel(E::eEtTime, 3, 1);
    time->uLoopPars.sTimeLoop.dPeriod = 100;
    E* z = NewLevel(E::eEtZStack, 2, 1);
    z->uLoopPars.sZStackLoop.dZStep = 0.5;
    E* spect = NewLevel(E::eEtSpect, 2);
    spect->uLoopPars.sSpectLoop.pPlaneDesc[1].sDescription = u"GFP";
    z->ppNextLevelEx[0] = spect;
    time->ppNextLevelEx[0] = z;
    return time;
}

TEST(ExperimentTree, NewAndInitialisedLevels)
{
    E* level = nullptr;
    ASSERT_EQ(E::Alloc(&level), 0);
    EXPECT_TRUE(level->bControlShutter);
    EXPECT_EQ(level->uiRepeatCount, 0u);
    EXPECT_EQ(level->uiNextLevelCount, 0u);
    EXPECT_EQ(level->ppNextLevelEx, nullptr);
    EXPECT_EQ(level->eType, E::eEtUnknown);
    ASSERT_EQ(E::Init(*level, E::eEtZStack, false, 4, 0, 0), 0);
    EXPECT_EQ(level->uiRepeatCount, 1u);
    const E::SLxExpZStackLoop& z = level->uLoopPars.sZStackLoop;
    EXPECT_EQ(z.dZStep, -1.0);
    for (double d :
         {z.dZLow, z.dZLowPFSOffset, z.dZHigh, z.dZHighPFSOffset, z.dZHome, z.dReferencePosition})
        EXPECT_EQ(d, 0.0);
    EXPECT_EQ(z.sZDevice[0], 0);
    E::FreeRecursive(level);
    EXPECT_EQ(E::Alloc(nullptr), -4);
    E::Free(nullptr);
    E::FreeRecursive(nullptr);
}

TEST(ExperimentTree, ItemFlagsAndPerTypeBuffers)
{
    E none, five, custom, xy, ne;
    ASSERT_EQ(E::Init(none, E::eEtTime, true, 0, 0, 0), 0);
    EXPECT_EQ(none.pItemValid, nullptr);
    ASSERT_EQ(E::Init(five, E::eEtTime, true, 5, 0, 0), 0);
    ASSERT_NE(five.pItemValid, nullptr);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(five.pItemValid[i], 1);
    ASSERT_EQ(E::Init(custom, E::eEtCustom, false, 0, 0, 0), 0);
    ASSERT_NE(custom.uLoopPars.sCustomLoop.wsDescription, nullptr);
    EXPECT_TRUE(custom.uLoopPars.sCustomLoop.wsDescription->IsEmpty());
    ASSERT_EQ(E::Init(xy, E::eEtXYPos, false, 3, 0, 2), 0);
    EXPECT_EQ(xy.uLoopPars.sXYPosLoop.dPosY[2], 0.0);
    EXPECT_TRUE(xy.uLoopPars.sXYPosLoop.pPosName[2].IsEmpty());
    EXPECT_EQ(xy.uiNextLevelCount, 2u);
    EXPECT_EQ(xy.ppNextLevelEx[1], nullptr);
    ASSERT_EQ(E::Init(ne, E::eEtNETime, false, 7, 3, 0), 0);
    EXPECT_EQ(ne.uLoopPars.sNETimeLoop.uiPeriodCount, 3u);
    EXPECT_EQ(ne.uLoopPars.sNETimeLoop.pPeriodValid[2], 1);
    EXPECT_EQ(ne.uLoopPars.sNETimeLoop.pSubLoops, nullptr);
    E::Uninit(ne);
    EXPECT_EQ(ne.eType, E::eEtUnknown);
    EXPECT_EQ(ne.uLoopPars.sNETimeLoop.pPeriod, nullptr);
}

TEST(ExperimentTree, CopySharesChildrenAndFreeLeavesThem)
{
    E* root = Chain();
    E* copy = nullptr;
    ASSERT_EQ(E::Duplicate(&copy, *root, false), 0);
    EXPECT_NE(copy->ppNextLevelEx, root->ppNextLevelEx);
    EXPECT_EQ(copy->ppNextLevelEx[0], root->ppNextLevelEx[0]);
    E::Free(copy);
    ASSERT_NE(root->ppNextLevelEx[0], nullptr);
    EXPECT_EQ(root->ppNextLevelEx[0]->uLoopPars.sZStackLoop.dZStep, 0.5);
    E::FreeRecursive(root);
}

TEST(ExperimentTree, RecursiveDuplicatesOwnNewLevelsAndCompareEqual)
{
    E* root = Chain();
    E* copy = nullptr;
    ASSERT_EQ(E::Duplicate(&copy, *root, true), 0);
    EXPECT_NE(copy->ppNextLevelEx[0], root->ppNextLevelEx[0]);
    EXPECT_NE(copy->ppNextLevelEx[0]->ppNextLevelEx[0], root->ppNextLevelEx[0]->ppNextLevelEx[0]);
    EXPECT_TRUE(E::IsEqual(*root, *copy, true));
    copy->ppNextLevelEx[0]->ppNextLevelEx[0]->uLoopPars.sSpectLoop.pPlaneDesc[1].sDescription =
        u"RFP";
    EXPECT_TRUE(E::IsEqual(*root, *copy, false));
    EXPECT_FALSE(E::IsEqual(*root, *copy, true));
    E::FreeRecursive(copy);
    E::FreeRecursive(root);

    E chainless;
    EXPECT_EQ(E::CopyRecursive(nullptr, chainless, true), -4);
    EXPECT_EQ(E::Duplicate(nullptr, chainless, true), -4);
}

TEST(ExperimentTree, NonEquidistantSubLoopsAreOwnedByRecursiveCopiesOnly)
{
    E* ne = NewLevel(E::eEtNETime, 5, 0, false, 2);
    // The source's sub-loop definitions live on the stack and are detached
    // before it ends: the source does not own the level in them.
    E* sub = Chain();
    E source;
    E::Copy(source, *ne);
    E::SLxSubLoopsDefinition defs[2];
    E* pointers[1] = {sub};
    defs[1].uiNextLevelCount = 1;
    defs[1].ppNextLevelEx = pointers;
    source.uLoopPars.sNETimeLoop.pSubLoops = defs;

    // A plain copy shares the sub-level; freeing it frees only its arrays.
    E* shallow = nullptr;
    ASSERT_EQ(E::Duplicate(&shallow, source, false), 0);
    EXPECT_EQ(shallow->uLoopPars.sNETimeLoop.pSubLoops[1].ppNextLevelEx[0], sub);
    EXPECT_FALSE(shallow->bOwnsSubLoopLevels);
    E::Free(shallow);
    EXPECT_EQ(sub->uLoopPars.sTimeLoop.dPeriod, 100);

    // A recursive copy owns deep copies and releases them.
    E* deep = nullptr;
    ASSERT_EQ(E::Duplicate(&deep, source, true), 0);
    EXPECT_TRUE(deep->bOwnsSubLoopLevels);
    E* copied = deep->uLoopPars.sNETimeLoop.pSubLoops[1].ppNextLevelEx[0];
    ASSERT_NE(copied, sub);
    EXPECT_TRUE(E::IsEqual(*copied, *sub, true));
    EXPECT_EQ(deep->uLoopPars.sNETimeLoop.pSubLoops[0].uiNextLevelCount, 0u);
    E::FreeRecursive(deep);

    source.uLoopPars.sNETimeLoop.pSubLoops = nullptr;
    E::FreeRecursive(sub);
    E::FreeRecursive(ne);
}

TEST(ExperimentTree, CopyOntoItselfChangesNothing)
{
    E* root = Chain();
    E::Copy(*root, *root);
    EXPECT_EQ(root->uLoopPars.sTimeLoop.dPeriod, 100);
    EXPECT_EQ(root->uiNextLevelCount, 1u);
    EXPECT_EQ(E::CopyRecursive(root, *root, true), 0);
    EXPECT_EQ(root->ppNextLevelEx[0]->uLoopPars.sZStackLoop.dZStep, 0.5);
    E::FreeRecursive(root);
}

TEST(ExperimentTree, EqualityRules)
{
    E a, b;
    for (E* e : {&a, &b})
        ASSERT_EQ(E::Init(*e, E::ELxExperimentType(9), false, 4, 0, 0), 0);
    EXPECT_FALSE(E::IsEqual(a, b, false));
    E::Uninit(a);
    E::Uninit(b);
    EXPECT_FALSE(E::IsEqual(a, b, false)); // type 0

    E t1, t2;
    ASSERT_EQ(E::Init(t1, E::eEtTime, true, 3, 0, 0), 0);
    ASSERT_EQ(E::Init(t2, E::eEtTime, false, 3, 0, 0), 0);
    t1.uLoopPars.sTimeLoop.dPeriod = t2.uLoopPars.sTimeLoop.dPeriod = 5;
    EXPECT_FALSE(E::IsEqual(t1, t2, false));
    E::Uninit(t1);
    ASSERT_EQ(E::Init(t1, E::eEtTime, false, 3, 0, 0), 0);
    t1.uLoopPars.sTimeLoop.dPeriod = 5;
    t1.uLoopPars.sTimeLoop.sAutoFocusBeforeCapture.dStep = 9;
    EXPECT_TRUE(E::IsEqual(t1, t2, false));
    t1.uLoopPars.sTimeLoop.dDuration = 1;
    EXPECT_FALSE(E::IsEqual(t1, t2, false));

    E n1, n2;
    ASSERT_EQ(E::Init(n1, E::eEtNETime, false, 4, 2, 0), 0);
    E::Copy(n2, n1);
    EXPECT_TRUE(E::IsEqual(n1, n2, true));
    n2.pItemValid = static_cast<uint8_t*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, 4));
    EXPECT_FALSE(E::IsEqual(n1, n2, false));
    EXPECT_FALSE(E::IsEqual(n2, n2, false));

    E l1, l2;
    ASSERT_EQ(E::Init(l1, E::eEtPolar, false, 2, 0, 0), 0);
    E::Copy(l2, l1);
    l1.pLargeImage =
        static_cast<E::SLxLIDesc*>(CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, sizeof(E::SLxLIDesc)));
    EXPECT_FALSE(E::IsEqual(l1, l2, false));
    E::Copy(l2, l1);
    EXPECT_NE(l2.pLargeImage, l1.pLargeImage);
    EXPECT_TRUE(E::IsEqual(l1, l2, false));
}

TEST(ExperimentTree, ValidChannelsBecomePlanes)
{
    E spect;
    ASSERT_EQ(E::Init(spect, E::eEtSpect, true, 4, 0, 0), 0);
    spect.pItemValid[1] = spect.pItemValid[3] = 0;
    spect.uLoopPars.sSpectLoop.pPlaneDesc[0].uiCompCount = 1;
    spect.uLoopPars.sSpectLoop.pPlaneDesc[2].uiCompCount = 3;
    spect.uLoopPars.sSpectLoop.pPlaneDesc[2].sDescription = u"RGB";
    SLxPicturePlanes planes;
    ASSERT_EQ(E::ExtractValidPlanes(planes, &spect), 0);
    ASSERT_EQ(planes.uiCount, 2u);
    EXPECT_EQ(planes.uiCompCount, 4u);
    EXPECT_TRUE(planes.sPlane[1].sDescription == u"RGB");
    SLxPicturePlanes::Free(planes);
    E time;
    ASSERT_EQ(E::Init(time, E::eEtTime, false, 4, 0, 0), 0);
    EXPECT_EQ(E::ExtractValidPlanes(planes, &time), -4);
    EXPECT_EQ(E::ExtractValidPlanes(planes, nullptr), -4);
}

class ExperimentTreeReports : public VariantTest
{
};

TEST_F(ExperimentTreeReports, NoValidChannelIsReported)
{
    E spect;
    ASSERT_EQ(E::Init(spect, E::eEtSpect, true, 2, 0, 0), 0);
    spect.pItemValid[0] = spect.pItemValid[1] = 0;
    SLxPicturePlanes planes;
    ASSERT_EQ(E::ExtractValidPlanes(planes, &spect), 0);
    EXPECT_EQ(planes.uiCount, 0u);
    EXPECT_EQ(report().expression, "uiValidCount == NULL");
}

TEST_F(ExperimentTreeReports, CopyOfAnUnknownTypeIsReported)
{
    E odd;
    odd.eType = E::ELxExperimentType(12);
    odd.wsUserDesc = u"user";
    E copy;
    E::Copy(copy, odd);
    EXPECT_EQ(copy.eType, E::eEtUnknown);
    EXPECT_TRUE(copy.wsUserDesc == u"user");
    const SReport r = report();
    EXPECT_EQ(r.expression, "aSrc.eType != eEtUnknown");
    EXPECT_EQ(r.message, "Unknown experiment type");
    odd.eType = E::eEtUnknown;
}

} // namespace
