#include "gnr_vu2ziz/LxOutputWriter.h"

#include <unistd.h>

#include <cstring>
#include <string>

#include "mul_imageformat/LxOutputImageFile.h"
#include "mul_imageformat/gnr_imageformat_jp2/LxImageFormatJP2.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxImageFormatQX2.h"
#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"

namespace
{

enum class EKind { Empty, Qx2, Jp2, Other };

// The JP2 signature box, and a bare codestream's SOC and SIZ markers.
constexpr uint8_t kJp2Signature[12] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50,
                                       0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
constexpr uint8_t kCodestream[4] = {0xFF, 0x4F, 0xFF, 0x51};
// The first chunk of a QX2 file: magic, name length 32, data length, name.
constexpr uint8_t kQx2Magic[4] = {0xDA, 0xCE, 0xBE, 0x0A};
constexpr char kQx2SignatureName[] = "QX2 FILE SIGNATURE CHUNK NAME01!";

EKind KindOfFile(const char16_t* path)
{
    LX_HFILE file = LX_INVALID_HFILE;
    if (LX_OpenFile(path, LX_FILE_READ, LX_FILE_SHARE_READ, LX_INVALID_HFILE, &file) != 0)
        return EKind::Other;
    uint8_t head[48] = {};
    uint32_t got = 0;
    const int rc = LX_ReadFile(file, head, sizeof head, &got, nullptr);
    LX_CloseFile(file);
    if (rc != 0)
        return EKind::Other;
    if (got == 0)
        return EKind::Empty;
    if (got >= sizeof kJp2Signature && std::memcmp(head, kJp2Signature, sizeof kJp2Signature) == 0)
        return EKind::Jp2;
    if (got >= sizeof kCodestream && std::memcmp(head, kCodestream, sizeof kCodestream) == 0)
        return EKind::Jp2;
    if (got >= 16 + 32 && std::memcmp(head, kQx2Magic, sizeof kQx2Magic) == 0 &&
        std::memcmp(head + 16, kQx2SignatureName, 32) == 0)
        return EKind::Qx2;
    return EKind::Other;
}

// The folder a new file at path would be made in can be written.
bool FolderWritable(const char16_t* path)
{
    std::string system = LX_SystemPath(path);
    const size_t slash = system.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : slash == 0 ? "/" : system.substr(0, slash);
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

ILxOutputImageFile* LX_OpenOutputWriter(const char16_t* path, const SLxFileIdentity& source,
                                        SLxOutputReplacement& replacement)
{
    replacement = SLxOutputReplacement();
    if (!path || !*path)
        return nullptr;
    bool folder = false;
    const SLxFileIdentity target = LX_FileIdentity(path, &folder);
    if (!target.bKnown) {
        // The JPEG 2000 writer opens its file only when it writes.
        if (!FolderWritable(path))
            return nullptr;
        ILxOutputImageFile* writer = LX_CreateQx2OutputFile(path, false);
        return writer ? writer : LX_CreateJp2OutputFile(path);
    }
    if (folder || target.SameAs(source))
        return nullptr;
    const EKind kind = KindOfFile(path);
    std::u16string temporary;
    if (kind == EKind::Other || !LX_BeginOutputReplacement(path, replacement, temporary))
        return nullptr;
    ILxOutputImageFile* writer = nullptr;
    if (kind != EKind::Jp2)
        writer = LX_CreateQx2OutputFile(temporary.c_str(), false);
    if (!writer)
        writer = LX_CreateJp2OutputFile(temporary.c_str());
    if (!writer) {
        LX_AbandonOutputReplacement(replacement);
        replacement = SLxOutputReplacement();
    }
    return writer;
}
