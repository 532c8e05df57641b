// Thinning, thickening, zones of influence and discs against scikit-image
// and SciPy (results written by gnr_picture/thinning_oracle.py as a CTest
// fixture) and against cv::ximgproc::thinning. The thinning algorithms
// differ, so they are compared by topology and distance, not pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#ifdef LXTEST_HAVE_XIMGPROC
#include <opencv2/ximgproc.hpp>
#endif

#include "gnr_picture/BinPicBufAPI/bin_test_support.h"
#include "test_support.h"

namespace
{

using API = CLxBinPicBufAPI;

// A 0/1 picture, row after row.
struct Mask {
    int w = 0, h = 0;
    std::vector<uint8_t> v;
    uint8_t at(int x, int y) const
    {
        return x < 0 || y < 0 || x >= w || y >= h ? 0 : v[size_t(y) * w + x];
    }
};

bool ReadPbm(const std::string& path, Mask& m)
{
    std::ifstream in(path);
    std::string magic;
    if (!(in >> magic >> m.w >> m.h) || magic != "P1")
        return false;
    m.v.assign(size_t(m.w) * m.h, 0);
    for (auto& p : m.v) {
        int bit;
        if (!(in >> bit))
            return false;
        p = uint8_t(bit);
    }
    return true;
}

void ToPicture(const Mask& m, BinPicture& p)
{
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            p.set(uint32_t(x), uint32_t(y), m.at(x, y) != 0);
}

Mask FromPicture(BinPicture& p)
{
    Mask m{int(p->uiWidth), int(p->uiHeight), {}};
    m.v = p.pixels();
    return m;
}

// Connected regions of the pixels equal to value: 8- or 4-connected.
int Label(const Mask& m, uint8_t value, int connectivity, std::vector<int>& labels)
{
    labels.assign(m.v.size(), -1);
    int n = 0;
    std::vector<int> stack;
    for (int start = 0; start < int(m.v.size()); ++start) {
        if (m.v[start] != value || labels[start] >= 0)
            continue;
        labels[start] = n;
        stack.push_back(start);
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % m.w, y = i / m.w;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if ((dx == 0 && dy == 0) || (connectivity == 4 && dx != 0 && dy != 0))
                        continue;
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= m.w || ny >= m.h)
                        continue;
                    const int j = ny * m.w + nx;
                    if (m.v[j] == value && labels[j] < 0) {
                        labels[j] = n;
                        stack.push_back(j);
                    }
                }
        }
        ++n;
    }
    return n;
}

// Objects (8-connected) and holes (4-connected background regions off the
// border).
std::pair<int, int> Topology(const Mask& m)
{
    std::vector<int> labels;
    const int objects = Label(m, 1, 8, labels);
    const int regions = Label(m, 0, 4, labels);
    std::vector<bool> touches(size_t(regions), false);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            if ((x == 0 || y == 0 || x == m.w - 1 || y == m.h - 1) && labels[size_t(y) * m.w + x] >= 0)
                touches[size_t(labels[size_t(y) * m.w + x])] = true;
    return {objects, int(std::count(touches.begin(), touches.end(), false))};
}

// Set pixels of a, and those of them within reach (chessboard) of b's.
struct Near {
    long total = 0, near = 0;
    double Share() const { return total == 0 ? 1.0 : double(near) / double(total); }
    void Add(const Near& o)
    {
        total += o.total;
        near += o.near;
    }
};

Near CountNear(const Mask& a, const Mask& b, int reach)
{
    long total = 0, near = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x) {
            if (!a.at(x, y))
                continue;
            ++total;
            bool found = false;
            for (int dy = -reach; dy <= reach && !found; ++dy)
                for (int dx = -reach; dx <= reach && !found; ++dx)
                    found = b.at(x + dx, y + dy) != 0;
            near += found;
        }
    return Near{total, near};
}

// The pixels of m within reach (chessboard) of a set pixel of objects.
Mask NearObjects(const Mask& m, const Mask& objects, int reach)
{
    Mask out = m;
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            bool found = false;
            for (int dy = -reach; dy <= reach && !found; ++dy)
                for (int dx = -reach; dx <= reach && !found; ++dx)
                    found = objects.at(x + dx, y + dy) != 0;
            out.v[size_t(y) * m.w + x] = m.at(x, y) && found;
        }
    return out;
}

// The pixels of m inside source object k.
Mask Within(const Mask& m, const std::vector<int>& objectLabels, int k)
{
    Mask out = m;
    for (size_t i = 0; i < out.v.size(); ++i)
        out.v[i] = m.v[i] && objectLabels[i] == k;
    return out;
}

struct Manifest {
    std::string dir;
    std::vector<std::vector<std::string>> cases;
    bool Load()
    {
        dir = LXTEST_THINNING_ORACLE_DIR;
        std::ifstream in(dir + "/manifest.txt");
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::vector<std::string> c;
            for (std::string w; words >> w;)
                c.push_back(w);
            if (!c.empty())
                cases.push_back(c);
        }
        return !cases.empty();
    }
};

#define LOAD_MANIFEST(m)                                                                           \
    Manifest m;                                                                                    \
    if (!m.Load())                                                                                 \
    LXTEST_SKIP_WITHOUT_TOOL() << "no oracle results (python3 with scikit-image and SciPy)"

TEST(ThinningOracle, AddCircleEqualsSkimageDisk)
{
    LOAD_MANIFEST(m);
    int checked = 0;
    for (const auto& c : m.cases) {
        if (c[0] != "disc")
            continue;
        Mask want;
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[4], want));
        BinPicture pic(uint32_t(want.w), uint32_t(want.h));
        ASSERT_EQ(API::AddCircle(pic.get(), uint32_t(std::stoul(c[1])), std::stoi(c[2]),
                                 std::stoi(c[3])),
                  0);
        EXPECT_EQ(FromPicture(pic).v, want.v) << c[4];
        ++checked;
    }
    EXPECT_EQ(checked, 63);
}

// Our centre lines beside a reference skeleton of the same source.
void CompareSkeletons(const Mask& src, const Mask& ours, const Mask& reference,
                      const std::string& what, Near& pooled)
{
    for (int y = 0; y + 1 < ours.h; ++y)
        for (int x = 0; x + 1 < ours.w; ++x)
            ASSERT_FALSE(ours.at(x, y) && ours.at(x + 1, y) && ours.at(x, y + 1) &&
                         ours.at(x + 1, y + 1))
                << what << ": a 2 x 2 block at " << x << "," << y;
    pooled.Add(CountNear(ours, reference, 2));
    std::vector<int> objects;
    const int count = Label(src, 1, 8, objects);
    for (int k = 0; k < count; ++k)
        EXPECT_EQ(Topology(Within(ours, objects, k)), Topology(Within(reference, objects, k)))
            << what << " object " << k;
}

TEST(ThinningOracle, ThinningMatchesSkeletonTopology)
{
    LOAD_MANIFEST(m);
    int checked = 0;
    Near skimage, zhangSuenNear;
    for (const auto& c : m.cases) {
        if (c[0] != "skeleton")
            continue;
        Mask src, skel;
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[1], src));
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[2], skel));
        BinPicture in(uint32_t(src.w), uint32_t(src.h)), out(uint32_t(src.w), uint32_t(src.h));
        ToPicture(src, in);
#ifdef LXTEST_HAVE_XIMGPROC
        cv::Mat bytes(src.h, src.w, CV_8U), zs;
        for (size_t i = 0; i < src.v.size(); ++i)
            bytes.data[i] = src.v[i] ? 255 : 0;
        cv::ximgproc::thinning(bytes, zs, cv::ximgproc::THINNING_ZHANGSUEN);
        Mask zhangSuen{src.w, src.h, std::vector<uint8_t>(size_t(src.w) * src.h)};
        for (size_t i = 0; i < src.v.size(); ++i)
            zhangSuen.v[i] = zs.data[i] != 0;
#endif
        for (int metric : {3, 15, 16, 17}) {
            ASSERT_EQ(API::Thinning(out.get(), in.get(), metric, 0, 1, 0), 0);
            const Mask ours = FromPicture(out);
            const std::string what = c[1] + " metric " + std::to_string(metric);
            CompareSkeletons(src, ours, skel, what + " (skimage)", skimage);
#ifdef LXTEST_HAVE_XIMGPROC
            CompareSkeletons(src, ours, zhangSuen, what + " (Zhang-Suen)", zhangSuenNear);
#endif
        }
        ++checked;
    }
    EXPECT_EQ(checked, 210);
    // Skeletons of discs and small blobs are a point or a short stroke whose
    // place the algorithms choose differently; over all cases nearly every
    // centre-line pixel lies within 2 px of the reference's.
    EXPECT_GE(skimage.Share(), 0.99);
    std::printf("near shares: skimage %.4f, Zhang-Suen %.4f\n", skimage.Share(),
                zhangSuenNear.Share());
#ifdef LXTEST_HAVE_XIMGPROC
    EXPECT_GE(zhangSuenNear.Share(), 0.99);
#endif
}

// No component of `grown` holds two source objects.
void ExpectNoObjectsJoined(const Mask& src, const Mask& grown, const std::string& what)
{
    std::vector<int> objects, parts;
    const int count = Label(src, 1, 8, objects);
    Label(grown, 1, 8, parts);
    std::vector<int> owner(grown.v.size(), -1);
    for (int k = 0; k < count; ++k)
        for (size_t i = 0; i < src.v.size(); ++i)
            if (objects[i] == k) {
                const int part = parts[i];
                ASSERT_GE(part, 0) << what;
                ASSERT_TRUE(owner[size_t(part)] == -1 || owner[size_t(part)] == k)
                    << what << ": objects " << owner[size_t(part)] << " and " << k << " joined";
                owner[size_t(part)] = k;
            }
}

// The zones of influence of src against the Euclidean watershed lines.
// Template thinning peels in eight directions only: far from the objects
// (and towards the edges, which continue the background) its lines leave the
// Euclidean bisectors, so the lines are compared within 8 px of the objects
// they part.
void CompareZones(const Mask& src, const Mask& euclidean, const std::string& what,
                  Near& zonesToWatershed, Near& watershedToZones)
{
    BinPicture in(uint32_t(src.w), uint32_t(src.h)), out(uint32_t(src.w), uint32_t(src.h));
    ToPicture(src, in);
    ASSERT_EQ(API::CalculateZonesOfInfluence(out.get(), in.get()), 0);
    const Mask zones = FromPicture(out);
    zonesToWatershed.Add(CountNear(NearObjects(zones, src, 8), euclidean, 2));
    watershedToZones.Add(CountNear(NearObjects(euclidean, src, 8), zones, 2));
    Mask parted = zones;
    for (auto& p : parted.v)
        p = !p;
    ExpectNoObjectsJoined(src, parted, what + " zones");
}

TEST(ThinningOracle, ZonesAndThickeningFollowTheWatershedLines)
{
    Near zonesToWatershed, watershedToZones, grownToWatershed, watershedToGrown;
    LOAD_MANIFEST(m);
    int checked = 0;
    for (const auto& c : m.cases) {
        if (c[0] != "zones")
            continue;
        Mask src, want, euclidean;
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[1], src));
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[2], want));
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[3], euclidean));
        CompareZones(src, euclidean, c[1], zonesToWatershed, watershedToZones);

        BinPicture in(uint32_t(src.w), uint32_t(src.h)), out(uint32_t(src.w), uint32_t(src.h));
        ToPicture(src, in);
        ASSERT_EQ(API::Thickening(out.get(), nullptr, in.get(), 0, false), 0);
        const Mask grown = FromPicture(out);
        Mask lines = grown;
        for (auto& p : lines.v)
            p = !p;
        grownToWatershed.Add(CountNear(lines, want, 1));
        watershedToGrown.Add(CountNear(want, lines, 1));
        ExpectNoObjectsJoined(src, grown, c[1] + " thickening");
        ++checked;
    }
    EXPECT_EQ(checked, 20);
    EXPECT_GE(grownToWatershed.Share(), 0.9);
    EXPECT_GE(watershedToGrown.Share(), 0.9);
    EXPECT_GE(zonesToWatershed.Share(), 0.9);
    EXPECT_GE(watershedToZones.Share(), 0.9);
    std::printf("near shares: thickening %.3f %.3f, zones %.3f %.3f\n", grownToWatershed.Share(),
                watershedToGrown.Share(), zonesToWatershed.Share(), watershedToZones.Share());
}

// Objects one or two pixels wide leave the templates no side to start from;
// their zones are parted as those of larger objects are.
TEST(ThinningOracle, ZonesOfNarrowObjectsFollowTheWatershedLines)
{
    Near zonesToWatershed, watershedToZones;
    LOAD_MANIFEST(m);
    int checked = 0;
    for (const auto& c : m.cases) {
        if (c[0] != "small_zones")
            continue;
        Mask src, euclidean;
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[1], src));
        ASSERT_TRUE(ReadPbm(m.dir + "/" + c[2], euclidean));
        CompareZones(src, euclidean, c[1], zonesToWatershed, watershedToZones);
        ++checked;
    }
    EXPECT_EQ(checked, 12);
    EXPECT_GE(zonesToWatershed.Share(), 0.9);
    EXPECT_GE(watershedToZones.Share(), 0.9);
    std::printf("narrow zones near shares: %.3f %.3f\n", zonesToWatershed.Share(),
                watershedToZones.Share());
}

} // namespace
