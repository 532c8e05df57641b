// Opens a QX2 document for reading, from a file or a caller's memory block,
// and makes the reader its version text asks for: "Ver1.0" the version 1.0
// reader, any other text the version 2.1 reader. A file whose map cannot be
// read is repaired on the way. The reader comes back with a count of 0;
// the caller adds the first reference.
#pragma once

#include <cstdint>

#include "gnr_system/LxByteArray.h"

class ILxImageFormat;
class ILxInputImageFile;

// 0 with the reader, else the chunk layer's or the repair's code (-9 for a
// file that is no QX2 file) and a null reader.
int LX_OpenQX2InputFile(ILxImageFormat* format, const char16_t* fileName,
                        ILxInputImageFile** reader);
// The block stays alive and unchanged while the reader uses it; a block
// without a readable map is repaired in memory.
int LX_OpenQX2InputMemory(ILxImageFormat* format, CLxByteArray* block, ILxInputImageFile** reader);
