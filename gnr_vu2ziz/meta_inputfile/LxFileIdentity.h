// Which file a path names, whatever the path: device and inode. An output
// compares it with its source's so that it never writes over the document
// it reads.
#pragma once

#include <cstdint>

struct SLxFileIdentity {
    uint64_t qwDevice = 0;
    uint64_t qwInode = 0;
    bool bKnown = false;

    bool SameAs(const SLxFileIdentity& other) const
    {
        return bKnown && other.bKnown && qwDevice == other.qwDevice && qwInode == other.qwInode;
    }
};

// The identity of the existing file or folder at path; bKnown false when
// nothing is there. *folder, when given, tells a folder.
SLxFileIdentity LX_FileIdentity(const char16_t* path, bool* folder = nullptr);
