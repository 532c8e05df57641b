// Experiment events and their record; colours and text information.
#include <gtest/gtest.h>

#include <vector>

#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

typedef SLxExperimentRecord R;

// Owns the events for the life of a test.
struct SOwnedRecord : R {
    ~SOwnedRecord() { R::Free(*this); }
};

std::vector<uint32_t> Ids(const R& record)
{
    std::vector<uint32_t> ids;
    for (const SLxExperimentEvent* e = record.pFirstEvent; e; e = e->pNext)
        ids.push_back(e->uiID);
    return ids;
}

SLxExperimentEvent Event(double time, uint32_t meaning, uint32_t id = 0)
{
    SLxExperimentEvent e;
    e.dTime = time;
    e.eMeaning = meaning;
    e.uiID = id;
    e.wsDescription = u"d";
    return e;
}

TEST(ExperimentRecord, IdentifiersGrowPastTheLargest)
{
    SOwnedRecord record;
    EXPECT_EQ(R::AddEvent(record, Event(1, 1, 77)), 1u);
    EXPECT_EQ(R::AddEvent(record, Event(2, 2)), 2u);
    EXPECT_EQ(R::AddEvent(record, Event(3, 3)), 3u);
    ASSERT_EQ(R::RemoveEvent(record, 2), 0);
    EXPECT_EQ(R::AddEvent(record, Event(4, 4)), 4u);
    EXPECT_EQ(Ids(record), (std::vector<uint32_t>{1, 3, 4}));
}

TEST(ExperimentRecord, UnknownIdentifiersChangeNothing)
{
    SOwnedRecord record;
    R::AddEvent(record, Event(1, 1));
    SLxExperimentEvent out = Event(9, 9, 9);
    EXPECT_EQ(R::GetEvent(record, 5, out), -9);
    EXPECT_EQ(out.dTime, 9.0);
    EXPECT_EQ(R::SetEvent(record, 5, Event(7, 7)), -9);
    EXPECT_EQ(R::RemoveEvent(record, 5), -9);
    ASSERT_EQ(R::GetEvent(record, 1, out), 0);
    EXPECT_EQ(out.dTime, 1.0);
}

TEST(ExperimentRecord, SetEventKeepsItsPlaceInTheList)
{
    SOwnedRecord record;
    for (int i = 0; i < 3; ++i)
        R::AddEvent(record, Event(i, 1));
    SLxExperimentEvent replacement = Event(50, 15, 2);
    replacement.pNext = nullptr;
    ASSERT_EQ(R::SetEvent(record, 2, replacement), 0);
    EXPECT_EQ(Ids(record), (std::vector<uint32_t>{1, 2, 3}));
    SLxExperimentEvent out;
    ASSERT_EQ(R::GetEvent(record, 2, out), 0);
    EXPECT_EQ(out.dTime, 50.0);
    EXPECT_EQ(out.eMeaning, 15u);
    EXPECT_NE(out.pNext, nullptr);
}

TEST(ExperimentRecord, CopiesShareTheListAndCopyMakesANewOne)
{
    SOwnedRecord source;
    R::AddEvent(source, Event(1, 1));
    R::AddEvent(source, Event(2, 2));
    {
        const R shared(source);
        EXPECT_EQ(shared.pFirstEvent, source.pFirstEvent);
    }
    SOwnedRecord target;
    target.wsNotes = u"mine";
    R::AddEvent(target, Event(0, 0));
    ASSERT_EQ(R::Copy(target, source), 0);
    EXPECT_EQ(Ids(target), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_TRUE(target.wsNotes == u"mine");
    // Onto itself: each event once more.
    ASSERT_EQ(R::Copy(source, source), 0);
    EXPECT_EQ(Ids(source), (std::vector<uint32_t>{1, 2, 3, 4}));
}

TEST(ExperimentRecord, EventNames)
{
    EXPECT_EQ(U8(SLxExperimentEvent::_pDescription[0]), "Unknown");
    EXPECT_EQ(U8(SLxExperimentEvent::_pDescription[1]), "Autofocus");
    EXPECT_EQ(U8(SLxExperimentEvent::_pDescription[11]), "Experiment Stopped by User");
    EXPECT_EQ(U8(SLxExperimentEvent::_pDescription[15]), "Stimulation");
}

class EventsVariantTest : public VariantTest
{
  protected:
    // A record variant whose events carry the identifiers.
    static CLxVariant Stored(std::initializer_list<uint32_t> ids)
    {
        SOwnedRecord record;
        for (uint32_t id : ids)
            R::AddEvent(record, Event(id, 1));
        CLxVariant v;
        EXPECT_EQ(R::SaveToVariant(v, record), 0);
        CLxVariant& list = v[u"pFirstEvent"];
        int i = 0;
        for (uint32_t id : ids)
            list[i++][u"uiID"] = id;
        return v;
    }
};

TEST_F(EventsVariantTest, LoadingNumbersEventsWithoutIdentifiers)
{
    const struct {
        std::initializer_list<uint32_t> stored;
        std::vector<uint32_t> loaded;
    } cases[] = {{{0, 5, 0}, {1, 5, 6}}, {{1, 0}, {1, 2}}, {{3, 2, 0}, {3, 2, 4}}, {{}, {}}};
    for (const auto& c : cases) {
        SOwnedRecord record;
        ASSERT_EQ(R::LoadFromVariant(record, Stored(c.stored)), 0);
        EXPECT_EQ(Ids(record), c.loaded);
    }
    expectNoReport();
}

TEST_F(EventsVariantTest, AnEventListThatIsNoListKeepsTheNotesAndFails)
{
    CLxVariant v(CLxVariantRunType("RLxExperimentRecord"), u"events");
    v[u"wsNotes"] = CLxStringW(u"notes");
    CLxVariant& events = v[u"pFirstEvent"];
    events.EnableTypeChange(true);
    events = 5;
    SOwnedRecord record;
    EXPECT_EQ(R::LoadFromVariant(record, v), -4);
    EXPECT_EQ(report().message, "Wrong variant runtype of pFirstEvent, expected 'CLxListVariant'.");
    EXPECT_TRUE(record.wsNotes == u"notes");
    EXPECT_EQ(record.pFirstEvent, nullptr);
}

TEST_F(EventsVariantTest, ItemsThatAreNoEventsAreSkipped)
{
    CLxVariant v = Stored({1, 2});
    v[u"pFirstEvent"].Insert(CLxVariant(3, u"stray"), 1);
    SOwnedRecord record;
    ASSERT_EQ(R::LoadFromVariant(record, v), 0);
    EXPECT_EQ(Ids(record), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(report().message,
              "Wrong variant runtype('lx_int32'), expected 'RLxExperimentEvent'.");
}

TEST(Color, ColorRefConversions)
{
    const SLxColor c(18, 52, 86);
    EXPECT_EQ(c.GetColorRef(), 0x00563412u);
    SLxColor back;
    back.SetColorRef(0x00563412u);
    EXPECT_EQ(back.GetA(), 255);
    EXPECT_EQ(back.GetR(), 18);
    EXPECT_EQ(back.GetG(), 52);
    EXPECT_EQ(back.GetB(), 86);
    EXPECT_TRUE(back == c);
}

TEST(Color, WordsAlphaAndSetters)
{
    SLxColor c;
    EXPECT_EQ(c.m_argb, 0xFF000000u);
    EXPECT_TRUE(c.IsSet());
    c.Set(0u);
    EXPECT_FALSE(c.IsSet());
    c.Set(0x80, 0x123456u);
    EXPECT_EQ(c.m_argb, 0x80123456u);
    EXPECT_EQ(c.GetRGB(), 0x123456u);
    const SLxColor opaque(0xFF, 0x12, 0x34, 0x56);
    EXPECT_TRUE(c != opaque);
    c.Set(SLxColor::eRed);
    EXPECT_EQ(c.m_argb, 0xFFFF0000u);
    EXPECT_EQ(SLxColor::MakeARGB(1, 2, 3, 4), 0x01020304u);
}

TEST(ImageTextInfo, FourteenTextsCopiedOneByOne)
{
    SLxImageTextInfo info;
    for (int i = 0; i < SLxImageTextInfo::eTextCount; ++i)
        EXPECT_TRUE(info.wsText[i].IsEmpty());
    info.wsText[13] = u"last";
    SLxImageTextInfo copy(info);
    copy.wsText[0] = u"first";
    EXPECT_TRUE(copy.wsText[13] == u"last");
    EXPECT_TRUE(info.wsText[0].IsEmpty());
}

} // namespace
