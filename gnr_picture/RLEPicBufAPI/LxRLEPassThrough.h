// Runs one CLxBinPicBufAPI operation on run-length pictures: every picture
// argument is laid out as a one-bit picture, the operation runs on those,
// and the pictures it may write come back labelled into painted objects.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEBytes.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"

namespace lx_rle
{

// A one-bit picture owned for the length of a call.
struct ScratchBin {
    SLxBinPicBuf pic;
    ScratchBin() { CLxBinPicBufAPI::Init(&pic); }
    ~ScratchBin() { CLxBinPicBufAPI::Free(&pic); }
    ScratchBin(const ScratchBin&) = delete;
    ScratchBin& operator=(const ScratchBin&) = delete;
};

// Lays rec out as a cleared one-bit picture of width x height with rec's
// runs set (clipped). A picture of no size stays empty. False, with nothing
// laid out, when rec's objects do not fit its size.
bool LayOut(SLxBinPicBuf* bin, const SLxRLEPicBuf* rec, uint32_t width, uint32_t height);

// Writes bin back into rec in the painted or the non-painted form; a
// failure leaves rec empty in that form, never half-built.
void WriteBack(SLxRLEPicBuf* rec, const SLxBinPicBuf* bin, bool painted);

// How one argument of the run-length call reaches the binary call.
template <class T> struct PassArg {
    T value;
    explicit PassArg(T v) : value(v) {}
    const SLxRLEPicBuf* record() const { return nullptr; }
    void Prepare(uint32_t, uint32_t) {}
    T get() const { return value; }
    void Finish() {}
};

// A picture the operation may write: converted in, written back painted.
template <> struct PassArg<SLxRLEPicBuf*> {
    SLxRLEPicBuf* rec;
    ScratchBin bin;
    explicit PassArg(SLxRLEPicBuf* r) : rec(r) {}
    const SLxRLEPicBuf* record() const { return rec; }
    void Prepare(uint32_t w, uint32_t h)
    {
        if (rec)
            LayOut(&bin.pic, rec, w, h);
    }
    SLxBinPicBuf* get() { return rec ? &bin.pic : nullptr; }
    void Finish()
    {
        if (rec)
            WriteBack(rec, &bin.pic, true);
    }
};

// A picture only read: converted in.
template <> struct PassArg<const SLxRLEPicBuf*> {
    const SLxRLEPicBuf* rec;
    ScratchBin bin;
    explicit PassArg(const SLxRLEPicBuf* r) : rec(r) {}
    const SLxRLEPicBuf* record() const { return rec; }
    void Prepare(uint32_t w, uint32_t h)
    {
        if (rec)
            LayOut(&bin.pic, rec, w, h);
    }
    const SLxBinPicBuf* get() const { return rec ? &bin.pic : nullptr; }
    void Finish() {}
};

template <> struct PassArg<CLxRLEPicBufAPI::BinaryOp> {
    CLxRLEPicBufAPI::BinaryOp value;
    explicit PassArg(CLxRLEPicBufAPI::BinaryOp v) : value(v) {}
    const SLxRLEPicBuf* record() const { return nullptr; }
    void Prepare(uint32_t, uint32_t) {}
    CLxBinPicMemAPI::BinaryOp get() const { return CLxBinPicMemAPI::BinaryOp(value); }
    void Finish() {}
};

template <size_t Dest, size_t SizeFrom, class Tuple, size_t... I>
void PrepareAll(Tuple& args, std::index_sequence<I...>)
{
    // Argument order is the conversion order: destination, source, work.
    auto prepare = [&](auto& arg, size_t index) {
        const SLxRLEPicBuf* own = arg.record();
        const SLxRLEPicBuf* sized = index == Dest ? std::get<SizeFrom>(args).record() : own;
        if (!sized)
            sized = own;
        if (sized)
            arg.Prepare(sized->uiWidth, sized->uiHeight);
    };
    (prepare(std::get<I>(args), I), ...);
}

// The pattern itself. A record whose objects do not fit its size gives -9
// before anything is laid out. The destination (argument 0) is laid out in
// the size of argument SizeFrom, every other picture in its own size; the
// written pictures come back painted, destination first; the binary status
// is returned as it is.
template <auto Op, size_t SizeFrom = 1, class... A> auto PassThrough(A... values)
{
    std::tuple<PassArg<A>...> args(values...);
    auto call = [&]() { return std::apply([](auto&... arg) { return Op(arg.get()...); }, args); };
    const bool fit =
        std::apply([](auto&... arg) { return (FitsPicture(arg.record()) && ...); }, args);
    if constexpr (std::is_void_v<decltype(call())>) {
        if (!fit)
            return;
    } else if (!fit) {
        return decltype(call())(-9);
    }
    constexpr size_t kSizeFrom = sizeof...(A) > SizeFrom ? SizeFrom : 0;
    PrepareAll<0, kSizeFrom>(args, std::index_sequence_for<A...>());
    auto finish = [&]() { std::apply([](auto&... arg) { (arg.Finish(), ...); }, args); };
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        finish();
    } else {
        auto status = call();
        finish();
        return status;
    }
}

} // namespace lx_rle
