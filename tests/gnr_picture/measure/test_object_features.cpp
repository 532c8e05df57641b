// The feature row of one object in both forms, and the small measures it is
// built from.
#include <gtest/gtest.h>

#include <cmath>

#include "gnr_picture/measure/measure_fixture.h"

namespace
{

const Rows kSquare = {
    ".....", ".###.", ".###.", ".###.", ".....",
};

const Rows kRing = {
    ".......", ".#####.", ".#...#.", ".#...#.", ".#####.", ".......",
};

const double kSquarePerimeter = (6 + 10 / std::sqrt(2.0)) * M_PI / 4;

struct Form {
    const char* name;
    bool label;
};
const Form kForms[] = {{"label", true}, {"runs", false}};

FeatureRow Measure(MeasureField& f, bool label, int32_t x, int32_t y, uint32_t mask,
                   double cal = 1.0)
{
    return label ? f.Label(x, y, mask, cal) : f.Runs(0, mask, cal);
}

TEST(ObjectFeatures, OnePixelHasUnitAreasAndNoLineLength)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        MeasureField f({"...", ".#.", "..."});
        const FeatureRow row = Measure(f, form.label, 1, 1, 0x1 | 0x1000, 0.5);
        EXPECT_DOUBLE_EQ(row[0], 0.25);
        EXPECT_DOUBLE_EQ(row[1], 0.25);
        EXPECT_DOUBLE_EQ(row[2], 1.0);
        EXPECT_DOUBLE_EQ(row[73], 0.0);
        EXPECT_NEAR(row[3], std::sqrt(0.25 * 4 / M_PI), 1e-14);
        EXPECT_DOUBLE_EQ(row[20], 0.5);
        EXPECT_DOUBLE_EQ(row[23], 1.0);
    }
}

TEST(ObjectFeatures, OnePixelContourReachesTheCallbackWithOnePoint)
{
    MeasureField f({"...", ".#.", "..."});
    struct Seen {
        uint32_t points = 0;
        unsigned result = 0;
        double pixels = 0;
    } seen;
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    const SLxIPoint seed{1, 1};
    CLxPicMeasAPI::MeasureObject(
        f.intensity.get(), f.labels.get(), &seed, 65535, 7, 1.0, row.data(), 0, 0, 0, nullptr, 0, 0,
        0, 0, 0x1, nullptr, nullptr, nullptr, nullptr, nullptr,
        [](SLxContour* c, unsigned result, double pixels, void* user) {
            auto* s = static_cast<Seen*>(user);
            s->points = c ? c->uiCount : 0;
            s->result = result;
            s->pixels = pixels;
        },
        &seen);
    EXPECT_EQ(seen.points, 1u);
    EXPECT_EQ(seen.result, 1u);
    EXPECT_EQ(seen.pixels, 1.0);
    EXPECT_EQ(f.labels.at(1, 1), 7u); // painted to the new value
}

TEST(ObjectFeatures, LineLengthAloneMakesTheContour)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        MeasureField f({".......", ".#####.", "......."});
        FeatureRow row = Measure(f, form.label, 1, 1, 0x1000, 2.0);
        // Half the walk through every second point of the 8-point contour
        // (the row there and back): the run-length contour starts at
        // column 1 (2 + 2 + 2 + 1), the label contour at column 2
        // (2 + 0 + 2 + 1).
        EXPECT_DOUBLE_EQ(row[73], (form.label ? 2.5 : 3.5) * 2.0);
        EXPECT_EQ(row[1], 0.0) << "no contour bit: the filled area is not asked";
    }
}

TEST(ObjectFeatures, HoleMakesFilledAreaLarger)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        MeasureField f(kRing);
        const FeatureRow row = Measure(f, form.label, 1, 1, 0x1);
        EXPECT_DOUBLE_EQ(row[0], 14.0);
        EXPECT_DOUBLE_EQ(row[1], 20.0);
        EXPECT_LT(row[2], 1.0);
        EXPECT_DOUBLE_EQ(row[2], 14.0 / 20.0);
    }
}

TEST(ObjectFeatures, LabelContourStartsOnItsOwnObject)
{
    // Another region already holds the new value left of the object on the
    // seed's row; the contour must still be the measured object's.
    MeasureField f({"........", "..#####.", "..#...#.", "..#...#.", "..#####.", "........"});
    f.labels.set(0, 2, 1);
    const FeatureRow row = f.Label(2, 2, 0x1 | 0x100);
    EXPECT_DOUBLE_EQ(row[1], 20.0);
    EXPECT_DOUBLE_EQ(row[55], 2.0);
    EXPECT_DOUBLE_EQ(row[56], 7.0);
}

TEST(ObjectFeatures, SquareProjectionsAndPerimeterAgreeInBothForms)
{
    MeasureField f(kSquare);
    uint32_t c[4];
    ASSERT_EQ(CLxPicMeasAPI::Projections(f.labels.get(), 65535, SLxIRect{1, 1, 4, 4}, c[0], c[1],
                                         c[2], c[3]),
              0);
    EXPECT_EQ(c[0], 3u);
    EXPECT_EQ(c[1], 5u);
    EXPECT_EQ(c[2], 3u);
    EXPECT_EQ(c[3], 5u);
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        MeasureField g(kSquare);
        const FeatureRow row = Measure(g, form.label, 1, 1, 0x2, 2.0);
        EXPECT_NEAR(row[6], kSquarePerimeter * 2.0, 1e-12);
        EXPECT_NEAR(row[7], 36.0 / (row[6] / M_PI), 1e-12);
        // 0x2 also fills the Feret group; P^2 < 16 A, so the length is the
        // maximum Feret diameter.
        EXPECT_LT(row[6] * row[6], 16 * row[0]);
        EXPECT_DOUBLE_EQ(row[10], 6.0);
        EXPECT_DOUBLE_EQ(row[8], row[10]);
        EXPECT_DOUBLE_EQ(row[9], row[0] / row[8]);
        EXPECT_DOUBLE_EQ(row[11], 6.0);
        EXPECT_DOUBLE_EQ(row[13], 1.0);
        EXPECT_LE(row[12], 1.0);
        EXPECT_GT(row[12], 0.0);
        const double length = row[8], width = row[9] < row[11] ? row[9] : row[11];
        EXPECT_NEAR(row[5],
                    (width * 0.5235987755983 + (length - width) * 0.78539816339745) * width * width,
                    1e-9);
    }
}

TEST(ObjectFeatures, LongObjectTakesLengthFromPerimeter)
{
    MeasureField f({"............", ".##########.", "............"});
    const FeatureRow row = f.Runs(0, 0x2);
    const double p = row[6], a = row[0];
    ASSERT_GE(p * p, 16 * a);
    EXPECT_DOUBLE_EQ(row[8], (std::sqrt(p * p - 16 * a) + p) * 0.25);
    EXPECT_DOUBLE_EQ(row[10], 10.0);
    EXPECT_DOUBLE_EQ(row[11], 1.0);
    EXPECT_DOUBLE_EQ(row[13], 10.0);
    EXPECT_DOUBLE_EQ(row[24], 0.0); // caliper along x: angle 90 turned by 90
    EXPECT_DOUBLE_EQ(row[78], 1.0);
}

TEST(ObjectFeatures, CircularityNeverExceedsOne)
{
    for (const Rows& rows :
         {Rows{"...", ".#.", "..."}, Rows{"....", ".##.", ".##.", "...."}, kSquare, kRing}) {
        for (const Form& form : kForms) {
            MeasureField f(rows);
            const FeatureRow row = Measure(f, form.label, 1, 1, 0x2);
            EXPECT_LE(row[12], 1.0);
            EXPECT_GE(row[12], 0.0);
        }
    }
}

TEST(ObjectFeatures, BoundingBoxIsExclusiveForLabelsInclusiveForRuns)
{
    const Rows rows = {"......", "..##..", ".###..", "......"};
    MeasureField f(rows);
    const FeatureRow label = f.Label(2, 1, 0x100, 0.5);
    const FeatureRow runs = f.Runs(0, 0x100, 0.5);
    const double wantLabel[4] = {1, 4, 1, 3}, wantRuns[4] = {1, 3, 1, 2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(label[55 + i], wantLabel[i]) << i;
        EXPECT_DOUBLE_EQ(label[51 + i], wantLabel[i] * 0.5) << i;
        EXPECT_DOUBLE_EQ(runs[55 + i], wantRuns[i]) << i;
    }
}

TEST(ObjectFeatures, CentreAndStagePosition)
{
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        MeasureField f({"......", "..##..", ".###..", "......"});
        const FeatureRow row = Measure(f, form.label, 2, 1, 0x4, 2.0);
        EXPECT_DOUBLE_EQ(row[16], (2 + 3 + 1 + 2 + 3) / 5.0);
        EXPECT_DOUBLE_EQ(row[17], (1 + 1 + 2 + 2 + 2) / 5.0);
        EXPECT_DOUBLE_EQ(row[14], row[16] * 2);
        // No stage, no turn: the position mirrors through the frame's centre.
        EXPECT_DOUBLE_EQ(row[18], 12.0 - row[14]);
        EXPECT_DOUBLE_EQ(row[19], 8.0 - row[15]);
    }
}

TEST(ObjectFeatures, IntensityAndColourMeans)
{
    MeasureField f({"....", ".##.", "...."}, 8);
    SLxPicBuf rgb;
    CLxPicBufAPI::Init(&rgb);
    ASSERT_EQ(CLxPicBufAPI::Reinit(&rgb, 4, 3, 0, 8, 3, true), 0);
    uint8_t* line = static_cast<uint8_t*>(rgb.pData) + rgb.uiWidthBytes;
    const uint8_t px[2][3] = {{10, 20, 30}, {50, 60, 70}}; // blue, green, red
    for (int i = 0; i < 2; ++i)
        for (int c = 0; c < 3; ++c)
            line[(1 + i) * 3 + c] = px[i][c];
    const uint32_t flags[3] = {0x4 | 0x8, 0x2 | 0x8, 0x1 | 0x8};
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    SLxRLEObject* obj = CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0);
    ASSERT_EQ(CLxPicMeasAPI::MeasureObject(&rgb, obj, 1.0, row.data(), 0, 0, 0, nullptr, 0, 0, 0, 0,
                                           0x8 | 0x200, nullptr, nullptr, flags, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr),
              1u);
    EXPECT_DOUBLE_EQ(row[25], (60 + 180) / 3.0 / 2);
    EXPECT_DOUBLE_EQ(row[26], (60 + 180) / 3.0);
    EXPECT_DOUBLE_EQ(row[27], std::sqrt(800.0)); // v = 20 and 60
    EXPECT_DOUBLE_EQ(row[29], 50.0);
    EXPECT_DOUBLE_EQ(row[30], 40.0);
    EXPECT_DOUBLE_EQ(row[31], 30.0);
    EXPECT_DOUBLE_EQ(row[46], 100.0);
    EXPECT_DOUBLE_EQ(row[49], 20.0);
    EXPECT_DOUBLE_EQ(row[50], 60.0);
    // Slots 63-72: the colorimetry of the mean colour.
    SLxColorimetryData want;
    ASSERT_EQ(CLxPicMeasAPI::Measure_Colorimetry(50.0, 40.0, 30.0, &want), 1);
    const double values[10] = {want.Y, want.x, want.y, want.u,      want.v,
                               want.L, want.a, want.b, want.purity, want.wavelength};
    for (int i = 0; i < 10; ++i)
        EXPECT_DOUBLE_EQ(row[63 + i], values[i]) << i;
    CLxPicBufAPI::Free(&rgb);
}

TEST(ObjectFeatures, NoIntensityChannelLeavesTheIntensitySlots)
{
    MeasureField f({"....", ".##.", "...."});
    const uint32_t flags[1] = {0x1};
    const FeatureRow row = f.Runs(0, 0x8, 1.0, flags);
    EXPECT_EQ(row[25], 0.0);
    EXPECT_EQ(row[26], 0.0);
}

TEST(ObjectFeatures, PassedValuesAndStage)
{
    MeasureField f({"...", ".#.", "..."});
    for (const Form& form : kForms) {
        FeatureRow row(LX_OBJECT_FEATURES, -5.0);
        const SLxIPoint seed{1, 1};
        if (form.label)
            CLxPicMeasAPI::MeasureObject(f.intensity.get(), f.labels.get(), &seed, 65535, 3, 1.0,
                                         row.data(), 7, 8, 0, nullptr, 1, 2, 3, 4, 0, nullptr,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        else
            CLxPicMeasAPI::MeasureObject(
                f.intensity.get(), CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0), 1.0,
                row.data(), 7, 8, 0, nullptr, 1, 2, 3, 4, 0, nullptr, nullptr, nullptr, nullptr,
                nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(row[43], 7.0);
        EXPECT_EQ(row[44], 8.0);
        EXPECT_EQ(row[35], 1.0);
        EXPECT_EQ(row[45], 2.0);
        EXPECT_EQ(row[36], 3.0);
        EXPECT_EQ(row[42], 4.0);
        EXPECT_EQ(row[6], -5.0) << "a slot not asked for keeps its value";
    }
}

TEST(ObjectFeatures, ConvexityAndOuterPerimeterOfRuns)
{
    MeasureField f(kRing);
    const FeatureRow row = f.Runs(0, 0x2 | 0x2000 | 0x4000);
    MeasureField filled({".......", ".#####.", ".#####.", ".#####.", ".#####.", "......."});
    const FeatureRow solid = filled.Runs(0, 0x2);
    EXPECT_DOUBLE_EQ(row[81], solid[6]);
    EXPECT_GT(row[6], row[81]);
    EXPECT_GT(row[83], 0.0);
    EXPECT_LE(row[83], 1.0);
    EXPECT_GT(row[82], 0.0);
    EXPECT_GT(row[84], 0.0);
}

TEST(ObjectFeatures, RestrictionsRejectAndMarkTheObject)
{
    SLxObjectRestrictions r{};
    r.ucUse[0] = 1;
    r.dLower[0] = 9.0;
    r.dUpper[0] = 9.0;
    struct Case {
        uint8_t mode;
        unsigned want;
    } cases[] = {{0, 2}, {1, 1}};
    for (const Case& c : cases) {
        r.ucMode[0] = c.mode;
        MeasureField f(kSquare);
        unsigned result = 0;
        f.Runs(0, 0, 1.0, nullptr, &result, &r);
        EXPECT_EQ(result, c.want);
        const SLxRLEObject h = Header(CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0));
        EXPECT_EQ((h.uiStatus & 0x8) != 0, c.want == 2);
        EXPECT_EQ((h.uiStatus & 0x100) != 0, c.want == 1);
        MeasureField g(kSquare);
        g.Label(1, 1, 0, 1.0, nullptr, &result, &r);
        EXPECT_EQ(result, c.want);
    }
}

TEST(ObjectFeatures, BadInputMeasuresNothing)
{
    MeasureField f(kSquare);
    FeatureRow row(LX_OBJECT_FEATURES, -1.0);
    const SLxIPoint seed{1, 1}, outside{9, 9}, background{0, 0};
    auto label = [&](const SLxPicBuf* in, SLxPicBuf* labels, const SLxIPoint* s, double* r,
                     uint16_t newValue) {
        return CLxPicMeasAPI::MeasureObject(in, labels, s, 65535, newValue, 1.0, r, 0, 0, 0,
                                            nullptr, 0, 0, 0, 0, 0x1FF, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr);
    };
    GreyPicture eightBit(kSquare, 8);
    GreyPicture small(3, 3);
    EXPECT_EQ(label(nullptr, f.labels.get(), &seed, row.data(), 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), nullptr, &seed, row.data(), 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), f.labels.get(), nullptr, row.data(), 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), f.labels.get(), &seed, nullptr, 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), eightBit.get(), &seed, row.data(), 1), 0u);
    EXPECT_EQ(label(small.get(), f.labels.get(), &seed, row.data(), 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), f.labels.get(), &outside, row.data(), 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), f.labels.get(), &background, row.data(), 1), 0u);
    EXPECT_EQ(label(f.intensity.get(), f.labels.get(), &seed, row.data(), 65535), 0u);
    EXPECT_EQ(CLxPicMeasAPI::MeasureObject(
                  nullptr, CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0), 1.0, row.data(),
                  0, 0, 0, nullptr, 0, 0, 0, 0, 0xFF, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr),
              0u);
    EXPECT_EQ(CLxPicMeasAPI::MeasureObject(f.intensity.get(), static_cast<SLxRLEObject*>(nullptr),
                                           1.0, row.data(), 0, 0, 0, nullptr, 0, 0, 0, 0, 0xFF,
                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr),
              0u);
    for (double v : row)
        ASSERT_EQ(v, -1.0);
    EXPECT_EQ(f.labels.at(1, 1), 65535u);
}

TEST(ObjectFeatures, RunPixelsOutsideTheIntensityPictureAreSkipped)
{
    MeasureField f({"......", "....##", "......"});
    GreyPicture small(5, 3);
    small.set(4, 1, 40);
    const uint32_t flags[1] = {0x8};
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    CLxPicMeasAPI::MeasureObject(small.get(),
                                 CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0), 1.0,
                                 row.data(), 0, 0, 0, nullptr, 0, 0, 0, 0, 0x8, nullptr, nullptr,
                                 flags, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(row[0], 2.0);
    EXPECT_EQ(row[25], 40.0); // the one pixel inside
}

// A measurement object adding each pixel's first sample twice.
class DoubleSample : public ILxPicMeas
{
  public:
    int Reserved1() override { return 0; }
    int Reserved2() override { return 0; }
    int Reserved3() override { return 0; }
    int Reserved4() override { return 0; }
    int Reserved5() override { return 0; }
    int Reserved6() override { return 0; }
    int Reserved7() override { return 0; }
    int Reserved8() override { return 0; }
    int Reserved9() override { return 0; }
    int Reserved10() override { return 0; }
    int Reserved11() override { return 0; }
    int Reserved12() override { return 0; }
    double Measure(const void* pixel, uint32_t bits, uint32_t comps, uint32_t flags) override
    {
        EXPECT_EQ(bits, 8u);
        EXPECT_EQ(comps, 1u);
        EXPECT_EQ(flags, 0u);
        return 2.0 * *static_cast<const uint8_t*>(pixel);
    }
    int Reserved14() override { return 0; }
    int Reserved15() override { return 0; }
    int Reserved16() override { return 0; }
    int Reserved17() override { return 0; }
    int Reserved18() override { return 0; }
};

TEST(ObjectFeatures, MeasurementObjectsGiveCustomMeans)
{
    MeasureField f({"....", ".##.", "...."});
    f.intensity.set(1, 1, 3);
    f.intensity.set(2, 1, 5);
    DoubleSample m;
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    CLxPicMeasAPI::MeasureObject(f.intensity.get(),
                                 CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0), 1.0,
                                 row.data(), 0, 0, 0, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, &m, nullptr, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(row[79], 8.0);
    EXPECT_EQ(row[80], 0.0);
    EXPECT_EQ(m.GetRefCount(), 1u);
}

TEST(ObjectFeatures, DensityTables)
{
    MeasureField f({"....", ".##.", "...."});
    f.intensity.set(1, 1, 10);
    f.intensity.set(2, 1, 20);
    std::vector<double> table(512, 0.0);
    for (int i = 0; i < 256; ++i)
        table[i] = 0.5, table[256 + i] = 1.0; // d = v / 2 + 1
    const uint32_t flags[1] = {0x10};
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    CLxPicMeasAPI::MeasureObject(f.intensity.get(),
                                 CLxRLEPicBufAPI::FindObjectByIndex(f.objects.get(), 0), 1.0,
                                 row.data(), 0, 0, 0, nullptr, 0, 0, 0, 0, 0x20, nullptr, nullptr,
                                 flags, table.data(), nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(row[37], 8.5);
    EXPECT_DOUBLE_EQ(row[38], 17.0);
    EXPECT_DOUBLE_EQ(row[39], std::sqrt(12.5));
    EXPECT_EQ(row[28], 0.0); // no second table
}

// ---- The supporting measures

TEST(MeasureFerets, WidthsAnglesAndTies)
{
    struct Case {
        const char* name;
        std::vector<SLxIPoint> points;
        uint32_t step;
        uint32_t max, min, maxAngle, minAngle, across;
    } cases[] = {
        {"one point: every width ties, the first angle wins", {{4, 4}}, 10, 1, 1, 90, 90, 1},
        {"row of five", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, 10, 5, 1, 0, 90, 1},
        {"column of three", {{2, 0}, {2, 1}, {2, 2}}, 45, 3, 1, 90, 0, 1},
        // 45 degrees: S 7071, C -7072: width 2.8286 -> 3; 135 degrees 2.8284
        {"square corners", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 45, 3, 3, 135, 90, 3},
        {"step 0 counts as 1", {{0, 0}, {3, 3}}, 0, 5, 1, 135, 45, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedContour contour(c.points);
        uint32_t mx = 0, mn = 0, amx = 0, amn = 0, across = 0;
        CLxPicMeasAPI::MeasureFerets(contour.c, c.step, &mx, &mn, &amx, &amn, &across);
        EXPECT_EQ(mx, c.max);
        EXPECT_EQ(mn, c.min);
        EXPECT_EQ(amx, c.maxAngle);
        EXPECT_EQ(amn, c.minAngle);
        EXPECT_EQ(across, c.across);
        CLxPicMeasAPI::MeasureFerets(contour.c, c.step, nullptr, nullptr, nullptr, nullptr,
                                     nullptr);
    }
    uint32_t untouched = 77;
    CLxPicMeasAPI::MeasureFerets(nullptr, 10, &untouched, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(untouched, 77u);
}

TEST(MeasureFerets, WholeWidthsDoNotFallShortOfTheirInteger)
{
    // 0.0001 x 30000 style products must not truncate to one less.
    for (int32_t n = 1; n < 200; ++n) {
        OwnedContour contour({{0, 0}, {n, 0}});
        uint32_t mx = 0;
        CLxPicMeasAPI::MeasureFerets(contour.c, 1, &mx, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(mx, uint32_t(n + 1)) << n;
    }
}

TEST(LineLengthFromContour, HalfTheWalkThroughEverySecondPoint)
{
    struct Case {
        std::vector<SLxIPoint> points;
        double want;
    } cases[] = {
        {{{3, 3}}, 0.0},
        {{{0, 0}, {3, 4}}, 2.5},                 // i = 0 goes to point 1
        {{{0, 0}, {1, 0}, {2, 0}, {1, 0}}, 1.5}, // 0->2 (2), then 2->3 (1)
        {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, 2.0},
    };
    for (const auto& c : cases) {
        OwnedContour contour(c.points);
        EXPECT_DOUBLE_EQ(CLxPicMeasAPI::LineLengthFromContour(contour.c), c.want);
    }
    EXPECT_EQ(CLxPicMeasAPI::LineLengthFromContour(nullptr), 0.0);
}

TEST(Projections, FormatsAndEdges)
{
    GreyPicture eight({"##", "##"}, 8);
    GreyPicture line({"###"}, 16);
    GreyPicture corner({"##.", "##.", "..."}, 16);
    uint32_t c[4] = {9, 9, 9, 9};
    EXPECT_EQ(CLxPicMeasAPI::Projections(nullptr, 1, SLxIRect{0, 0, 1, 1}, c[0], c[1], c[2], c[3]),
              -9);
    EXPECT_EQ(
        CLxPicMeasAPI::Projections(eight.get(), 255, SLxIRect{0, 0, 2, 2}, c[0], c[1], c[2], c[3]),
        -4);
    EXPECT_EQ(
        CLxPicMeasAPI::Projections(line.get(), 65535, SLxIRect{0, 0, 3, 1}, c[0], c[1], c[2], c[3]),
        -2);
    EXPECT_EQ(c[0] + c[1] + c[2] + c[3], 0u);
    // The picture's edge counts as outside; a rectangle beyond it is clipped.
    ASSERT_EQ(CLxPicMeasAPI::Projections(corner.get(), 65535, SLxIRect{-5, -5, 50, 50}, c[0], c[1],
                                         c[2], c[3]),
              0);
    EXPECT_EQ(c[0], 2u);
    EXPECT_EQ(c[1], 3u);
    EXPECT_EQ(c[2], 2u);
    EXPECT_EQ(c[3], 3u);
}

TEST(CalculateAbsolutePosition, MatrixAngleAndGuards)
{
    struct Case {
        const char* name;
        double angle;
        std::vector<double> matrix;
        SLxDPoint in, want;
    } cases[] = {
        {"identity matrix mirrors", 0, {1, 0, 0, 1}, {2, 3}, {10 - 2 + 100, 6 - 3 + 200}},
        {"angle 0 mirrors", 0, {}, {2, 3}, {108, 203}},
        {"half turn is identity", M_PI, {}, {2, 3}, {102, 203}},
        {"matrix terms",
         0,
         {2, 1, 3, 4},
         {6, 4},
         {5 - (2 * 1 - 1 * 1) + 100, 3 - (4 * 1 + 3 * 1) + 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SLxDPoint out{0, 0};
        CLxPicMeasAPI::CalculateAbsolutePosition(&out, &c.in, 10, 6, 100, 200, c.angle,
                                                 c.matrix.empty() ? nullptr : c.matrix.data());
        EXPECT_NEAR(out.x, c.want.x, 1e-12);
        EXPECT_NEAR(out.y, c.want.y, 1e-12);
    }
    SLxDPoint out{-1, -1};
    const SLxDPoint in{1, 1};
    CLxPicMeasAPI::CalculateAbsolutePosition(&out, &in, 0, 6, 0, 0, 0, nullptr);
    CLxPicMeasAPI::CalculateAbsolutePosition(&out, nullptr, 5, 6, 0, 0, 0, nullptr);
    CLxPicMeasAPI::CalculateAbsolutePosition(nullptr, &in, 5, 6, 0, 0, 0, nullptr);
    EXPECT_EQ(out.x, -1.0);
}

TEST(GetDensity, ShiftsAboveEightBitsAndCapsTheIndex)
{
    std::vector<double> table(512);
    for (int i = 0; i < 256; ++i)
        table[i] = i, table[256 + i] = 1000 + i;
    struct Case {
        uint32_t value, bits;
        double want;
    } cases[] = {
        {10, 8, 10 * 10 + 1010.0},
        {5, 4, 5 * 5 + 1005.0},
        {1023, 10, 1023 * (255.0 / 1023) * 255 + 1255},
        {512, 10, 512 * (255.0 / 1023) * 128 + 1128},
        {65535, 16, 65535 * (255.0 / 65535) * 255 + 1255},
        {999, 8, 999 * 255.0 + 1255}, // index capped at 255
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CLxPicMeasAPI::GetDensity(table.data(), c.value, c.bits), c.want, 1e-9)
            << c.value << " " << c.bits;
    EXPECT_EQ(CLxPicMeasAPI::GetDensity(nullptr, 3, 8), 0.0);
    EXPECT_EQ(CLxPicMeasAPI::GetDensity(table.data(), 3, 17), 0.0);
}

TEST(ApplyRestrictions, LimitsAreInclusiveModeZeroRejectsInside)
{
    SLxObjectRestrictions r{};
    r.ucUse[6] = 1;
    r.dLower[6] = 2.0;
    r.dUpper[6] = 4.0;
    struct Case {
        uint8_t mode;
        double value;
        unsigned want;
    } cases[] = {
        {0, 2.0, 2}, {0, 4.0, 2}, {0, 3.0, 2},  {0, 1.99, 1}, {0, 4.01, 1},
        {1, 2.0, 1}, {1, 4.0, 1}, {1, 1.99, 2}, {1, 4.01, 2}, {7, 5.0, 2},
    };
    FeatureRow row(LX_OBJECT_FEATURES, 0.0);
    for (const Case& c : cases) {
        r.ucMode[6] = c.mode;
        row[6] = c.value;
        EXPECT_EQ(CLxPicMeasAPI::ApplyRestrictions(row.data(), &r), c.want)
            << int(c.mode) << " " << c.value;
    }
    r.ucUse[6] = 0;
    EXPECT_EQ(CLxPicMeasAPI::ApplyRestrictions(row.data(), &r), 1u);
    EXPECT_EQ(CLxPicMeasAPI::ApplyRestrictions(row.data(), nullptr), 1u);
}

// ---- SLxObjectData

void FillRows(SLxObjectData& d, uint32_t n, double base)
{
    ASSERT_TRUE(d.Realloc(n));
    for (uint32_t i = 0; i < n; ++i) {
        d.pFeatures[size_t(i) * LX_OBJECT_FEATURES] = base + i;
        d.pObjects[i * 4] = i;
    }
    d.uiCount = n;
}

TEST(ObjectData, CopiesAreDeepAndDestroyCleanly)
{
    SLxObjectData a;
    FillRows(a, 3, 10.0);
    a.dFieldArea = 5;
    {
        SLxObjectData b(a);
        SLxObjectData c;
        c = a;
        EXPECT_NE(b.pFeatures, a.pFeatures);
        EXPECT_NE(c.pObjects, a.pObjects);
        EXPECT_EQ(c.uiCount, 3u);
        EXPECT_EQ(c.dFieldArea, 5.0);
        b.pFeatures[0] = -1;
        EXPECT_EQ(a.pFeatures[0], 10.0);
        c = c; // self-assignment keeps the rows
        EXPECT_EQ(c.pFeatures[2 * LX_OBJECT_FEATURES], 12.0);
        SLxObjectData moved(std::move(c));
        EXPECT_EQ(c.pFeatures, nullptr);
        EXPECT_EQ(moved.uiCount, 3u);
        SLxObjectData assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.pObjects[2 * 4], 2u);
    }
    EXPECT_EQ(a.pFeatures[LX_OBJECT_FEATURES], 11.0);
}

TEST(ObjectData, ReallocGrowsZeroedAndFreeKeepsAreas)
{
    SLxObjectData d;
    FillRows(d, 2, 1.0);
    ASSERT_TRUE(d.Realloc(5));
    EXPECT_EQ(d.uiCapacity, 5u);
    EXPECT_EQ(d.pFeatures[4 * LX_OBJECT_FEATURES + 85], 0.0);
    EXPECT_EQ(d.pObjects[4 * 4 + 3], 0u);
    ASSERT_TRUE(d.Realloc(3)); // smaller: nothing happens
    EXPECT_EQ(d.uiCapacity, 5u);
    d.dObjectArea = 7;
    d.Free();
    EXPECT_EQ(d.uiCount, 0u);
    EXPECT_EQ(d.uiCapacity, 0u);
    EXPECT_EQ(d.pFeatures, nullptr);
    EXPECT_EQ(d.dObjectArea, 7.0);
}

TEST(ObjectData, AppendPutsRowsBehind)
{
    SLxObjectData a, b;
    FillRows(a, 2, 1.0);
    FillRows(b, 3, 100.0);
    ASSERT_TRUE(a.Append(b));
    ASSERT_EQ(a.uiCount, 5u);
    EXPECT_EQ(a.pFeatures[2 * LX_OBJECT_FEATURES], 100.0);
    EXPECT_EQ(a.pObjects[4 * 4], 2u);
    ASSERT_TRUE(a.Append(a));
    EXPECT_EQ(a.uiCount, 10u);
    EXPECT_EQ(a.pFeatures[9 * LX_OBJECT_FEATURES], 102.0);
}

} // namespace
