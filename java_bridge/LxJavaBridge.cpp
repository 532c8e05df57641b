// The native methods of the Java viewer class QX_to_Hexastack: one document
// open for the whole process, its frames copied into Java arrays and its
// metadata into Java numbers and strings.
//
// The only name taken from libquelvixcore is CreateJp2InputFile; everything
// else goes through the document's IJp2InputFile operations. The state is
// plain data, zero at load (no static initialisers) and unlocked: the viewer
// calls from one thread at a time.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "QX_to_Hexastack.h"
#include "gnr_vu2ziz/LxJp2InputFile.h"
#include "java_bridge/LxUtf16Text.h"

namespace
{

// The loop kinds the viewer addresses, in the order of GetLoopType's
// numbers 1 to 4.
enum ELxLoopKind { eTime, eZ, eChannel, ePoint, eLoopKinds };

struct SLxLoopSlot {
    int32_t index; // -1 when the document has no such loop
    int32_t size;  // 1 when it has none
};

struct SLxImageShape {
    uint32_t width;
    uint32_t widthBytes;
    uint32_t height;
    uint32_t components;
    uint32_t bits;
};

struct SLxOpenDocument {
    IJp2InputFile* document;
    SLxImageShape first; // of sequence index 0
    uint32_t imageCount;
    uint32_t loopCount;
    SLxLoopSlot loops[eLoopKinds];
};

SLxOpenDocument g_open;

// Names are asked for in buffers of this many units, one less than the
// buffer so that the copy always ends with a terminator.
constexpr uint32_t kNameUnits = 1024;

// No C++ exception may reach the JVM: a text that cannot be allocated
// gives the call's failure value.
template <class Result, class Body> Result guarded(Result failure, Body body) noexcept
{
    try {
        return body();
    } catch (const std::exception&) {
        return failure;
    }
}

// Java's text as UTF-16; empty for null.
std::u16string javaText(JNIEnv* env, jstring text)
{
    std::u16string units;
    if (!text)
        return units;
    const jsize length = env->GetStringLength(text);
    units.resize(size_t(length));
    env->GetStringRegion(text, 0, length, reinterpret_cast<jchar*>(&units[0]));
    if (env->ExceptionCheck())
        units.clear();
    return units;
}

jstring javaString(JNIEnv* env, const std::u16string& text)
{
    jstring made = env->NewString(reinterpret_cast<const jchar*>(text.data()), jsize(text.size()));
    env->ExceptionCheck();
    return made;
}

// The loop slots of kinds 1 to 4, a later loop of a kind replacing an
// earlier one.
void mapLoops(IJp2InputFile* document, uint32_t loopCount, SLxLoopSlot* loops)
{
    for (int kind = 0; kind < eLoopKinds; ++kind)
        loops[kind] = {-1, 1};
    for (uint32_t i = 0; i < loopCount; ++i) {
        const uint32_t type = document->GetLoopType(i);
        if (type >= 1 && type <= eLoopKinds)
            loops[type - 1] = {int32_t(i), int32_t(document->GetLoopSize(i))};
    }
}

// The sequence index of the image at (c, z, t, p), or -1: a coordinate of a
// loop the document has must lie inside it, the others are ignored, and the
// index must name one of the document's images.
int64_t imageIndex(jint c, jint z, jint t, jint p)
{
    IJp2InputFile* document = g_open.document;
    if (!document)
        return -1;
    const jint wanted[eLoopKinds] = {t, z, c, p};
    std::unique_ptr<uint32_t[]> coordinates(
        new (std::nothrow) uint32_t[g_open.loopCount ? g_open.loopCount : 1]());
    if (!coordinates)
        return -1;
    for (int kind = 0; kind < eLoopKinds; ++kind) {
        const SLxLoopSlot& loop = g_open.loops[kind];
        if (loop.index < 0)
            continue;
        if (wanted[kind] < 0 || wanted[kind] >= loop.size)
            return -1;
        coordinates[loop.index] = uint32_t(wanted[kind]);
    }
    const uint32_t seq = document->GetSeqIndex(coordinates.get());
    return seq < g_open.imageCount ? int64_t(seq) : -1;
}

bool imageShape(uint32_t seq, SLxImageShape& shape)
{
    return g_open.document->GetImageInfo(seq, &shape.width, &shape.widthBytes, &shape.height,
                                         &shape.components, &shape.bits);
}

// The int and RGB copies read three 8-bit samples a pixel.
bool isColour8(const SLxImageShape& shape)
{
    return shape.components == 3 && shape.bits >= 1 && shape.bits <= 8 &&
           shape.widthBytes == ((uint64_t(shape.width) * 3 + 3) & ~uint64_t(3));
}

uint64_t storedBytes(const SLxImageShape& shape)
{
    return uint64_t(shape.widthBytes) * shape.height;
}

bool holds(JNIEnv* env, jarray array, uint64_t elements)
{
    return array && uint64_t(env->GetArrayLength(array)) >= elements;
}

jbyte* pinElements(JNIEnv* env, jbyteArray array)
{
    return env->GetByteArrayElements(array, nullptr);
}
jshort* pinElements(JNIEnv* env, jshortArray array)
{
    return env->GetShortArrayElements(array, nullptr);
}
jint* pinElements(JNIEnv* env, jintArray array)
{
    return env->GetIntArrayElements(array, nullptr);
}
void releaseElements(JNIEnv* env, jbyteArray array, jbyte* elements)
{
    env->ReleaseByteArrayElements(array, elements, 0);
}
void releaseElements(JNIEnv* env, jshortArray array, jshort* elements)
{
    env->ReleaseShortArrayElements(array, elements, 0);
}
void releaseElements(JNIEnv* env, jintArray array, jint* elements)
{
    env->ReleaseIntArrayElements(array, elements, 0);
}

// A Java array's elements, pinned for the scope and released with mode 0
// (copied back) on every path.
template <class Array> class CLxPinnedArray
{
  public:
    CLxPinnedArray(JNIEnv* env, Array array)
        : m_env(env), m_array(array), m_elements(pinElements(env, array))
    {
        m_env->ExceptionCheck();
    }
    ~CLxPinnedArray()
    {
        if (m_elements)
            releaseElements(m_env, m_array, m_elements);
    }
    CLxPinnedArray(const CLxPinnedArray&) = delete;
    CLxPinnedArray& operator=(const CLxPinnedArray&) = delete;

    explicit operator bool() const { return m_elements != nullptr; }
    decltype(pinElements(nullptr, Array())) get() const { return m_elements; }

  private:
    JNIEnv* m_env;
    Array m_array;
    decltype(pinElements(nullptr, Array())) m_elements;
};

// GetImage straight into the pinned array, which must hold the stored
// image (rows of widthBytes).
template <class Array>
jboolean copyStored(JNIEnv* env, Array destination, uint64_t elementBytes, jint c, jint z, jint t,
                    jint p)
{
    const int64_t seq = imageIndex(c, z, t, p);
    SLxImageShape shape;
    if (seq < 0 || !destination || !imageShape(uint32_t(seq), shape))
        return JNI_FALSE;
    if (!holds(env, destination, (storedBytes(shape) + elementBytes - 1) / elementBytes))
        return JNI_FALSE;
    CLxPinnedArray<Array> pinned(env, destination);
    return pinned && g_open.document->GetImage(uint32_t(seq), pinned.get());
}

struct SLxFreeBytes {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using CLxFrameBytes = std::unique_ptr<uint8_t, SLxFreeBytes>;

// The stored 8-bit colour image at (c, z, t, p) for the int and RGB copies,
// when each of arrays holds width x height elements; null otherwise.
CLxFrameBytes colourImage(JNIEnv* env, std::initializer_list<jarray> arrays, jint c, jint z, jint t,
                          jint p, SLxImageShape& shape)
{
    const int64_t seq = imageIndex(c, z, t, p);
    if (seq < 0 || !imageShape(uint32_t(seq), shape) || !isColour8(shape))
        return nullptr;
    for (jarray array : arrays)
        if (!holds(env, array, uint64_t(shape.width) * shape.height))
            return nullptr;
    CLxFrameBytes bytes(
        static_cast<uint8_t*>(std::malloc(storedBytes(shape) ? storedBytes(shape) : 1)));
    if (bytes && !g_open.document->GetImage(uint32_t(seq), bytes.get()))
        bytes.reset();
    return bytes;
}

const char* modalityText(uint32_t modality)
{
    static const char* const kTexts[] = {
        "Widefield Fluorescence",  "Brightfield",          "Laser Scanning Confocal",
        " Spinning Disk Confocal", "Swept Field Confocal", "Multi Photon Fluorescence",
    };
    return modality < sizeof(kTexts) / sizeof(kTexts[0]) ? kTexts[modality] : nullptr;
}

// The open trace line: the path, the first image's shape, the loop sizes
// and the index of (0, 0, 0, 0).
void writeTrace(const std::string& utf8, uint32_t zeroSeq)
{
    const char* format = "%s\r\nw=%d, h=%d, bpp=%d, comp=%d, wbytes=%d, images=%d, ch=%d, "
                         "z=%d, t=%d, pnt=%d\r\nid=%d(%d, %d, %d, %d)\n";
    const SLxImageShape& s = g_open.first;
    const SLxLoopSlot* loops = g_open.loops;
    auto print = [&](char* out, size_t size) {
        return std::snprintf(out, size, format, utf8.c_str(), int(s.width), int(s.height),
                             int(s.bits), int(s.components), int(s.widthBytes),
                             int(g_open.imageCount), int(loops[eChannel].size), int(loops[eZ].size),
                             int(loops[eTime].size), int(loops[ePoint].size), int(zeroSeq), 0, 0, 0,
                             0);
    };
    const int length = print(nullptr, 0);
    if (length <= 0)
        return;
    std::string line(size_t(length) + 1, '\0');
    print(&line[0], line.size());
    ssize_t ignored = write(STDERR_FILENO, line.data(), size_t(length));
    (void)ignored;
}

// The open trace line, on stderr only when QUELVIX_DEBUG_STDERR=1.
void traceOpen(const std::u16string& path, uint32_t zeroSeq)
{
    const char* echo = std::getenv("QUELVIX_DEBUG_STDERR");
    if (!echo || std::strcmp(echo, "1") != 0)
        return;
    guarded(0, [&] {
        writeTrace(lxjava::ToUtf8(path), zeroSeq);
        return 0;
    });
}

// Text of an image's metadata, built by read when the index is valid and
// the operation succeeds; an empty string otherwise.
template <class Read> jstring imageText(JNIEnv* env, jint c, jint z, jint t, jint p, Read read)
{
    std::u16string text;
    const int64_t seq = imageIndex(c, z, t, p);
    if (seq >= 0 && !guarded(false, [&] { return read(uint32_t(seq), text); }))
        text.clear();
    return javaString(env, text);
}

} // namespace

extern "C" {

JNIEXPORT jboolean JNICALL Java_QX_1to_1Hexastack_openQx2(JNIEnv* env, jclass, jstring folder,
                                                          jstring fileName)
{
    if (g_open.document || !folder || !fileName)
        return JNI_FALSE;
    // Joined as given, no separator added.
    std::u16string path;
    if (!guarded(false, [&] {
            path = javaText(env, folder) + javaText(env, fileName);
            return true;
        }))
        return JNI_FALSE;
    // A U+0000 would cut the path short and open another file.
    if (path.empty() || path.find(u'\0') != std::u16string::npos)
        return JNI_FALSE;
    IJp2InputFile* document = CreateJp2InputFile(path.c_str());
    if (!document)
        return JNI_FALSE;

    g_open = {};
    g_open.document = document;
    SLxImageShape& first = g_open.first;
    document->GetImageInfo(0, &first.width, &first.widthBytes, &first.height, &first.components,
                           &first.bits);
    g_open.imageCount = document->GetImageCount();
    g_open.loopCount = document->GetLoopCount();
    mapLoops(document, g_open.loopCount, g_open.loops);

    std::unique_ptr<uint32_t[]> zeros(new (std::nothrow)
                                          uint32_t[g_open.loopCount ? g_open.loopCount : 1]());
    traceOpen(path, zeros ? document->GetSeqIndex(zeros.get()) : 0);
    return JNI_TRUE;
}

JNIEXPORT jint JNICALL Java_QX_1to_1Hexastack_getQx2Param(JNIEnv* env, jclass, jstring key)
{
    if (!g_open.document || !key)
        return -1;
    std::u16string name;
    if (!guarded(false, [&] {
            name = javaText(env, key);
            return true;
        }))
        return 0;
    const SLxImageShape& first = g_open.first;
    const SLxLoopSlot* loops = g_open.loops;
    const struct {
        const char16_t* key;
        int64_t value;
    } kParams[] = {
        {u"width", first.width},
        {u"height", first.height},
        {u"image", g_open.imageCount},
        {u"color", first.components},
        {u"dim", g_open.loopCount},
        {u"bpp", first.bits},
        {u"channels", loops[eChannel].size},
        {u"zstacks", loops[eZ].size},
        {u"timeslices", loops[eTime].size},
        {u"points", loops[ePoint].size},
    };
    for (const auto& param : kParams)
        if (name == param.key)
            return jint(param.value);
    return 0;
}

JNIEXPORT jboolean JNICALL Java_QX_1to_1Hexastack_copyQx2ImageByte(JNIEnv* env, jclass,
                                                                   jbyteArray destination, jint c,
                                                                   jint z, jint t, jint p)
{
    return copyStored(env, destination, 1, c, z, t, p);
}

JNIEXPORT jboolean JNICALL Java_QX_1to_1Hexastack_copyQx2ImageShort(JNIEnv* env, jclass,
                                                                    jshortArray destination, jint c,
                                                                    jint z, jint t, jint p)
{
    return copyStored(env, destination, 2, c, z, t, p);
}

// Bits 16-23 take the first sample, 0-7 the second and 8-15 the third;
// 24-31 keep what the array held.
JNIEXPORT jboolean JNICALL Java_QX_1to_1Hexastack_copyQx2ImageInt(JNIEnv* env, jclass,
                                                                  jintArray destination, jint c,
                                                                  jint z, jint t, jint p)
{
    SLxImageShape shape;
    if (!g_open.document || !destination)
        return JNI_FALSE;
    CLxFrameBytes image = colourImage(env, {destination}, c, z, t, p, shape);
    if (!image)
        return JNI_FALSE;
    CLxPinnedArray<jintArray> pinned(env, destination);
    if (!pinned)
        return JNI_FALSE;
    for (uint32_t y = 0; y < shape.height; ++y) {
        const uint8_t* s = image.get() + uint64_t(y) * shape.widthBytes;
        jint* row = pinned.get() + uint64_t(y) * shape.width;
        for (uint32_t x = 0; x < shape.width; ++x, s += 3) {
            const uint32_t kept = uint32_t(row[x]) & 0xFF000000u;
            row[x] = jint(kept | uint32_t(s[0]) << 16 | uint32_t(s[2]) << 8 | s[1]);
        }
    }
    return JNI_TRUE;
}

// first takes the first sample, third the second and second the third.
JNIEXPORT jboolean JNICALL Java_QX_1to_1Hexastack_copyQx2ImageRGB(JNIEnv* env, jclass,
                                                                  jbyteArray first,
                                                                  jbyteArray second,
                                                                  jbyteArray third, jint c, jint z,
                                                                  jint t, jint p)
{
    SLxImageShape shape;
    if (!g_open.document || !first || !second || !third)
        return JNI_FALSE;
    CLxFrameBytes image = colourImage(env, {first, second, third}, c, z, t, p, shape);
    if (!image)
        return JNI_FALSE;
    CLxPinnedArray<jbyteArray> out0(env, first);
    if (!out0)
        return JNI_FALSE;
    CLxPinnedArray<jbyteArray> out2(env, second);
    if (!out2)
        return JNI_FALSE;
    CLxPinnedArray<jbyteArray> out1(env, third);
    if (!out1)
        return JNI_FALSE;
    for (uint32_t y = 0; y < shape.height; ++y) {
        const uint8_t* s = image.get() + uint64_t(y) * shape.widthBytes;
        const uint64_t row = uint64_t(y) * shape.width;
        for (uint32_t x = 0; x < shape.width; ++x, s += 3) {
            out0.get()[row + x] = jbyte(s[0]);
            out1.get()[row + x] = jbyte(s[1]);
            out2.get()[row + x] = jbyte(s[2]);
        }
    }
    return JNI_TRUE;
}

JNIEXPORT jstring JNICALL Java_QX_1to_1Hexastack_getQx2ImagePoint(JNIEnv* env, jclass, jint c,
                                                                  jint z, jint t, jint p)
{
    return imageText(env, c, z, t, p, [](uint32_t seq, std::u16string& text) {
        double x, y, zPos;
        if (!g_open.document->GetPosition(seq, &x, &y, &zPos))
            return false;
        lxjava::AppendAscii(text, "(");
        lxjava::AppendFixed2(text, x);
        lxjava::AppendAscii(text, ", ");
        lxjava::AppendFixed2(text, y);
        lxjava::AppendAscii(text, ", ");
        lxjava::AppendFixed2(text, zPos);
        lxjava::AppendAscii(text, ") nm");
        return true;
    });
}

JNIEXPORT jdouble JNICALL Java_QX_1to_1Hexastack_getQx2ImageTime(JNIEnv*, jclass, jint c, jint z,
                                                                 jint t, jint p)
{
    const int64_t seq = imageIndex(c, z, t, p);
    double time = 0.0;
    if (seq < 0 || !g_open.document->GetTime(uint32_t(seq), &time))
        return 0.0;
    return time;
}

JNIEXPORT jdouble JNICALL Java_QX_1to_1Hexastack_getQx2ImageZPos(JNIEnv*, jclass, jint c, jint z,
                                                                 jint t, jint p)
{
    const int64_t seq = imageIndex(c, z, t, p);
    double x, y, zPos = 0.0;
    if (seq < 0 || !g_open.document->GetPosition(uint32_t(seq), &x, &y, &zPos))
        return 0.0;
    return zPos;
}

JNIEXPORT jstring JNICALL Java_QX_1to_1Hexastack_getQx2ImageWave(JNIEnv* env, jclass, jint c,
                                                                 jint z, jint t, jint p)
{
    return imageText(env, c, z, t, p, [](uint32_t seq, std::u16string& text) {
        std::array<char16_t, kNameUnits> name{};
        double wavelength;
        uint8_t r, g, b;
        if (!g_open.document->GetWavelength(seq, &wavelength, name.data(), kNameUnits - 1, &r, &g,
                                            &b))
            return false;
        lxjava::AppendAscii(text, "Wave:");
        lxjava::AppendFixed2(text, wavelength);
        lxjava::AppendAscii(text, "nm(");
        lxjava::AppendName(text, name.data(), kNameUnits);
        lxjava::AppendAscii(text, ")");
        return true;
    });
}

JNIEXPORT jstring JNICALL Java_QX_1to_1Hexastack_getQx2ImageObjective(JNIEnv* env, jclass, jint c,
                                                                      jint z, jint t, jint p)
{
    return imageText(env, c, z, t, p, [](uint32_t seq, std::u16string& text) {
        std::array<char16_t, kNameUnits> name{};
        double magnification, aperture, refraction;
        if (!g_open.document->GetObjective(seq, name.data(), kNameUnits - 1, &magnification,
                                           &aperture, &refraction))
            return false;
        lxjava::AppendAscii(text, "Obj:");
        lxjava::AppendName(text, name.data(), kNameUnits);
        lxjava::AppendAscii(text, ",mag=");
        lxjava::AppendFixed2(text, magnification);
        lxjava::AppendAscii(text, ",NA=");
        lxjava::AppendFixed2(text, aperture);
        lxjava::AppendAscii(text, ",RI=");
        lxjava::AppendFixed2(text, refraction);
        return true;
    });
}

JNIEXPORT jstring JNICALL Java_QX_1to_1Hexastack_getQx2ImageModality(JNIEnv* env, jclass, jint c,
                                                                     jint z, jint t, jint p)
{
    return imageText(env, c, z, t, p, [](uint32_t seq, std::u16string& text) {
        uint32_t modality;
        const char* name = nullptr;
        if (!g_open.document->GetModality(seq, &modality) || !(name = modalityText(modality)))
            return false;
        lxjava::AppendAscii(text, "Modality:");
        lxjava::AppendAscii(text, name);
        return true;
    });
}

JNIEXPORT jboolean JNICALL Java_QX_1to_1Hexastack_closeQx2(JNIEnv*, jclass)
{
    if (g_open.document) {
        g_open.document->Release();
        g_open.document = nullptr;
    }
    return JNI_TRUE;
}

} // extern "C"
