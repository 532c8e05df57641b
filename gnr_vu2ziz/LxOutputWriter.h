// The format writer of a new output document: what the path already holds
// decides it, so that an existing file of another kind is never emptied.
#pragma once

#include "gnr_vu2ziz/LxOutputReplacement.h"
#include "gnr_vu2ziz/meta_inputfile/LxFileIdentity.h"

class ILxOutputImageFile;

// A writer for path (count 0), or null: a null or empty path, the source's
// own file, a folder, a file of neither format (left untouched), a folder
// that cannot be written, a file there that cannot. A JPEG 2000 file at the
// path gets the JPEG 2000 writer; otherwise QX2, else JPEG 2000. When the
// path holds a file, the writer writes a temporary file that replacement
// names, to take the file's place once the document is complete.
ILxOutputImageFile* LX_OpenOutputWriter(const char16_t* path, const SLxFileIdentity& source,
                                        SLxOutputReplacement& replacement);
