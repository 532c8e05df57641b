// Replays the seed documents of the metadata-record fuzz target, whole and
// damaged, through the same harness under the sanitizers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "fuzz/metaformats_records_corpus.h"
#include "fuzz/metaformats_records_harness.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

class FuzzReplay : public VariantTest
{
  protected:
    static void Replay(const std::string& bytes)
    {
        lx_fuzz::LoadRecordsFromText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
};

TEST_F(FuzzReplay, SeedsAreReadableRecordTexts)
{
    const auto seeds = lx_fuzz::MetaformatsSeedDocuments();
    ASSERT_GE(seeds.size(), 15u);
    for (const auto& seed : seeds) {
        CLxVariant root;
        EXPECT_EQ(CLxXMLAPI::VariantFromXML_UTF8(root, seed.second.data(), seed.second.size()), 0)
            << seed.first;
        Replay(seed.second);
    }
}

TEST_F(FuzzReplay, DamagedSeedsNeverFault)
{
    for (const auto& seed : lx_fuzz::MetaformatsSeedDocuments()) {
        const std::string& text = seed.second;
        const size_t step = std::max<size_t>(1, text.size() / 12);
        for (size_t cut = 0; cut < text.size(); cut += step)
            Replay(text.substr(0, cut));
        // Values and run types changed in place.
        const char* const changes[][2] = {
            {"value=\"1\"", "value=\"4294967295\""},
            {"value=\"0\"", "value=\"-1\""},
            {"runtype=\"lx_uint32\"", "runtype=\"CLxListVariant\""},
            {"runtype=\"RLxOpticalFilterSpectrum\"", "runtype=\"CLxStringW\""},
            {"runtype=\"double\"", "runtype=\"voidPtr\""},
        };
        for (const auto& change : changes) {
            std::string damaged = text;
            const size_t at = damaged.find(change[0]);
            if (at == std::string::npos)
                continue;
            damaged.replace(at, strlen(change[0]), change[1]);
            Replay(damaged);
        }
    }
}

} // namespace
