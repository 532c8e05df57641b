// The inner loops of the filtered stretch: contributor lists padded to one
// tap count and laid out tap by tap, so that a line is filtered with fixed
// loops (and AVX2 gathers where the processor has them), and buffer lines are
// combined into output lines a whole line at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gnr_picture/picmemAPI/stretch/LxContributors.h"
#include "gnr_picture/picmemAPI/stretch/LxStretchScratch.h"

namespace lxstretch
{

// The column lists of a horizontal pass for every output sample k = x x comps
// + c: tap t of k reads the sample offset(t, k) of the line (from the line's
// first column) with weight(t, k). Lists shorter than taps are padded with
// weight 0 on their last tap, which changes no sum.
class LineTaps
{
  public:
    // lists hold columns; column firstColumn is sample 0 of the line, and a
    // line has readable samples [readBegin, readEnd) around it.
    LineTaps(const ContributorLists& lists, uint32_t outW, uint32_t comps, ptrdiff_t firstColumn,
             ptrdiff_t readBegin, ptrdiff_t readEnd, uint32_t sampleBytes);

    bool valid() const { return m_valid; }

    // One line of S samples (uint8_t or uint16_t) into out, outW x comps
    // samples.
    template <class S> void filter(uint8_t* out, const uint8_t* line) const;

  private:
    static uint32_t mostTaps(const ContributorLists& lists, uint32_t outW);
    // Whether sample k's weighted taps lie step samples apart, from its first.
    bool tapsStepApart(uint32_t k, uint32_t step) const;
    // Sets up m_pairs or m_dot where they serve; false when memory fails.
    bool chooseByteMultiply(ptrdiff_t readBegin, ptrdiff_t readEnd);
    // Whether byte samples quarter a line with contiguous reads (and sets up
    // their run and m_pairs, which is null when memory fails).
    bool chooseQuartering(ptrdiff_t readBegin, ptrdiff_t readEnd);
    // Sets up m_bases and m_masks where a group's taps lie within 16 bytes a
    // lane; false when memory fails.
    bool chooseShuffles(ptrdiff_t readBegin, ptrdiff_t readEnd);
    // Whether word samples halve a line with contiguous reads (and sets up
    // their run).
    bool chooseHalvingWords(ptrdiff_t readEnd);
    // Sets up m_pairs for halving words whose weights fit 15 bits and sum
    // to 65536; false when memory fails.
    bool chooseHalvingWordPairs();
    // Sets up m_dotWords for word samples of one component with 5 to 16
    // consecutive taps; false when memory fails.
    bool chooseDotWords(ptrdiff_t readBegin, ptrdiff_t readEnd);

    uint32_t m_samples = 0;
    uint32_t m_taps = 0;
    uint32_t m_comps = 0;
    uint32_t m_sampleBytes = 0;
    Scratch<int32_t> m_offset; // [t x m_samples + k]
    Scratch<uint32_t> m_weight;
    // Samples [m_vecBegin, m_vecEnd) take the AVX2 path; m_oneRead: each
    // sample's taps lie in the 4 bytes read at its first tap.
    uint32_t m_vecBegin = 0;
    uint32_t m_vecEnd = 0;
    bool m_oneRead = false;
    // Byte samples of one component whose weights fit 15 bits multiply in
    // 16-bit pairs: m_pairs holds taps (0, 2) and (1, 3) of a one-read
    // sample; m_dot the 16 taps (zero beyond the list) of a sample whose
    // taps are consecutive columns, read 16 bytes at once. Halving: pairs
    // whose first taps lie two columns apart (a reduction by 2). Quartering:
    // up to 16 consecutive taps whose first lie four columns apart (a
    // reduction by 4), in m_rounds reads of four taps, m_pairs holding taps
    // (4u, 4u + 2) and (4u + 1, 4u + 3) of round u.
    enum class Bytes { None, Pairs, Halving, Quartering, Dot };
    Bytes m_bytes = Bytes::None;
    uint32_t m_rounds = 0;
    Scratch<int32_t> m_pairs;
    Scratch<int16_t> m_dot;
    // Shuffled: per group of eight samples the byte offsets read by its two
    // lanes and, per tap, the byte shuffle that places each sample's tap.
    bool m_shuffled = false;
    // Shuffled byte samples with 15-bit weights: two masks a group, taps
    // (0, 1) and (2, 3), against the packed weights of m_pairs.
    bool m_shuffledPairs = false;
    // Word samples of one component reduced by 2, read two 32-byte blocks a
    // group.
    bool m_halvingWords = false;
    // Those whose weights fit 15 bits and sum to 65536: taps (0, 1) and
    // (2, 3) as packed weights in m_pairs, multiplied in 16-bit pairs.
    bool m_halvingWordPairs = false;
    // Word samples whose taps are consecutive columns: their 16 weights
    // (zero beyond the list) a sample, against 16 words read at once.
    bool m_wordDot = false;
    Scratch<uint32_t> m_dotWords;
    // Those whose weights fit 15 bits and sum to 65536: their 16 weights in
    // m_dot, multiplied in 16-bit pairs.
    bool m_wordDotPairs = false;
    Scratch<int32_t> m_bases;
    Scratch<uint8_t> m_masks;
    bool m_valid = false;
};

// Output line of `samples` S samples from taps buffer lines: out[k] =
// (sum of lines[t][k] x weights[t]) >> 16, in 32-bit unsigned arithmetic.
void combineLines8(uint8_t* out, const uint8_t* const* lines, const uint32_t* weights,
                   uint32_t taps, size_t samples);
void combineLines16(uint8_t* out, const uint8_t* const* lines, const uint32_t* weights,
                    uint32_t taps, size_t samples);

// Stretch's horizontal pass (as stretchfilterh_*, for sample bytes 1 or 2)
// with the taps held inside the lineWidth columns that the picture's lines
// hold, instead of the columns the line pitch holds.
int stretchFilterHWithin(void* buf, uint32_t bufWB, uint32_t comps, uint32_t bytes, uint32_t dstW,
                         uint32_t lines, const void* src, uint32_t srcWB, uint32_t srcX,
                         uint32_t srcW, uint32_t lineWidth, LxStretchWeightFn filter,
                         uint32_t radius);

// Both passes of Stretch for sample bytes 1 or 2: src is the first buffer
// line's source line (top lines above the window's first), bufLines source
// lines can be read, taps are held inside lineWidth columns; the buffer is a
// ring of lines of bufWB bytes. Results as stretchfilterh_* followed by
// stretchfilterv_*.
int stretchFilterRolling(void* dst, uint32_t dstWB, uint32_t comps, uint32_t bytes, uint32_t dstW,
                         uint32_t dstH, const void* src, uint32_t srcWB, uint32_t srcX,
                         uint32_t srcW, uint32_t lineWidth, uint32_t srcH, uint32_t top,
                         uint32_t bufLines, uint32_t bufWB, LxStretchWeightFn filter,
                         uint32_t radius);

} // namespace lxstretch
