// The allocation of the complex array of CLxPicBufAPI::Hilbert, kept behind
// a pointer so that tests can make it fail under any allocator (the address
// sanitizer never lets a real one fail). Not exported.
#pragma once

#include <atomic>
#include <cstdint>

namespace lxpic
{

using FloatLinesAllocation = float** (*)(uint32_t lines, uint32_t lineFloats);

// AllocFloatLines unless a test has put another in.
extern std::atomic<FloatLinesAllocation> g_hilbertComplexLines;

} // namespace lxpic
