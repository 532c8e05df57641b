// Writes the seed corpus of fuzz_jp2_reader: documents made by our container
// target around OpenJPEG codestreams, with and without own boxes and a box
// map, virtual components, tiles and 12 bits, and files a writer left
// behind.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "jp2_document_writer.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_output_file.h"

#include <cstring>
#include <vector>

namespace
{

std::u16string Wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

bool Copy(const std::string& from, const std::string& to, long cut = -1, bool zeroLastBox = false)
{
    FILE* in = fopen(from.c_str(), "rb");
    if (!in)
        return false;
    std::vector<uint8_t> bytes;
    for (int c; (c = fgetc(in)) != EOF;)
        bytes.push_back(uint8_t(c));
    fclose(in);
    if (zeroLastBox) {
        // The last "jp2c" box's length becomes 0 (runs to the end).
        for (size_t i = bytes.size(); i-- > 4;)
            if (!memcmp(bytes.data() + i, "jp2c", 4)) {
                memset(bytes.data() + i - 4, 0, 4);
                break;
            }
    }
    if (cut >= 0 && size_t(cut) < bytes.size())
        bytes.resize(size_t(cut));
    FILE* out = fopen(to.c_str(), "wb");
    if (!out)
        return false;
    fwrite(bytes.data(), 1, bytes.size(), out);
    fclose(out);
    return true;
}

// Documents of our own writer: every kind of own box, a foreign box, a
// re-close, and the same document cut while written (with its side file's
// texts in the file's bytes).
int WriterDocuments(const std::string& folder)
{
    const std::string path = folder + "/writer_all_boxes.jp2";
    const std::u16string wide = Wide(path);
    const uint32_t w = 9, h = 7;
    std::vector<uint8_t> frame(size_t((w * 4 + 3) & ~3u) * h);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i * 7);
    SLxImageAttributes a{};
    a.uiWidth = w;
    a.uiHeight = h;
    a.uiComp = 4;
    a.uiBpcInMemory = 8;
    a.uiBpcSignificant = 6;
    auto* writer = new CLxJP2OutputFile(nullptr, CLxStringW(wide.c_str()));
    writer->AddRef();
    writer->SetImageAttributes(a);
    writer->SetImageData(0, frame.data(), nullptr, nullptr);
    writer->SetImageData(1, frame.data(), nullptr, nullptr);
    SLxImageTextInfo info;
    info.wsText[3] = CLxStringW(u"Text");
    writer->SetTextInfo(info);
    writer->SetCalibration(1, 0.5, 1.0, true, CLxStringW(u"x10"));
    writer->SetReportObjects(CLxStringW(u"<ReportObjects n=\"1\"/>"));
    writer->SetReportObjectsSeq(1, CLxStringW(u"<o/>"));
    writer->SetCustomDataVar(u"Answer", CLxVariant(42.0, CLxStringW(u"d")));
    writer->SetCustomDataVarSeq(u"Step", 1, CLxVariant(3u, CLxStringW(u"u")));
    const uint8_t blob[] = {1, 2, 3};
    writer->SetCustomData(u"Blob", blob, 3);
    writer->SetCustomDataSeq(u"Blob", 1, blob, 2);
    std::vector<uint8_t> binary(size_t(4) * h, 0x0F);
    writer->SetImageBinary(binary.data());
    const bool copied = Copy(path, folder + "/writer_unfinished.jp2");
    const bool closed = writer->Close() == 0;
    writer->Release();
    // A foreign box appended, then a re-close that keeps it.
    if (FILE* f = fopen(path.c_str(), "ab")) {
        const uint8_t box[] = {0, 0, 0, 13, 'x', 'm', 'l', ' ', '<', 'a', '/', '>', ' '};
        fwrite(box, 1, sizeof box, f);
        fclose(f);
    }
    const std::string again = folder + "/writer_reclosed.jp2";
    Copy(path, again);
    auto* reclose = new CLxJP2OutputFile(nullptr, CLxStringW(Wide(again).c_str()));
    reclose->AddRef();
    info.wsText[3] = CLxStringW(u"Again");
    reclose->SetTextInfo(info);
    const bool reclosed = reclose->Close() == 0;
    reclose->Release();
    return int(copied) + int(closed) + int(reclosed);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::string folder = argv[1];
    mkdir(folder.c_str(), 0755);
    int written = 0;
    auto doc = [&](const char* name, const jp2doc::Picture& p, const jp2doc::DocumentOptions& o) {
        const std::string path = folder + "/" + name;
        if (jp2doc::WriteDocument(Wide(path).c_str(), p, o))
            ++written;
        return path;
    };
    jp2doc::DocumentOptions plain;
    plain.frames = 1;
    plain.ownBoxes = false;
    plain.encode.resolutions = 3;
    doc("plain_grey.jp2", jp2doc::MakePicture(13, 9, 1, 8), plain);
    jp2doc::DocumentOptions rgb;
    rgb.encode.resolutions = 3;
    rgb.frames = 2;
    doc("rgb_two_frames.jp2", jp2doc::MakePicture(6, 5, 3, 8), rgb);
    jp2doc::DocumentOptions virt = rgb;
    virt.frames = 2;
    virt.virtualComponents = 3;
    doc("virtual_components.jp2", jp2doc::MakePicture(5, 4, 3, 12), virt);
    jp2doc::DocumentOptions tiled = rgb;
    tiled.frames = 2;
    tiled.encode.tileWidth = 4;
    tiled.encode.tileHeight = 4;
    doc("tiled_12bit.jp2", jp2doc::MakePicture(11, 9, 1, 12), tiled);
    jp2doc::DocumentOptions noMap = rgb;
    noMap.map = false;
    const std::string unmapped =
        doc("records_without_map.jp2", jp2doc::MakePicture(4, 4, 1, 8), noMap);
    jp2doc::DocumentOptions bare = plain;
    bare.frames = 3;
    const std::string three = doc("three_bare.jp2", jp2doc::MakePicture(8, 5, 1, 8), bare);
    written += Copy(three, folder + "/killed_lbox0.jp2", -1, true);
    written += Copy(three, folder + "/killed_cut.jp2", 200);
    written += Copy(unmapped, folder + "/records_cut.jp2", 700);
    written += WriterDocuments(folder);
    std::printf("%d files\n", written);
    return written >= 8 ? 0 : 1;
}
