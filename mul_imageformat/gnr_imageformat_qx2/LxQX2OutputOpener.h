// Opens a QX2 document for writing, new or adding to it, and makes the
// writer its version text asks for ("Ver1.0": version 1.0, else 2.1; new
// documents are "Ver2.1"). Adding to a file first opens it as a reader, so
// a file without a readable map is repaired as a reader repairs it; a file
// that is not empty and no QX2 file is refused untouched.
#pragma once

#include "gnr_system/LxByteArray.h"

class ILxImageFormat;
class ILxOutputImageFile;

// 0 with the writer (count 0), else -9 (or -4 for null arguments) and null.
int LX_OpenQX2OutputFile(ILxImageFormat* format, const char16_t* fileName, bool append,
                         ILxOutputImageFile** writer);
// A new document in the caller's block; adding to a block is not supported.
int LX_OpenQX2OutputMemory(ILxImageFormat* format, CLxByteArray* block, bool append,
                           ILxOutputImageFile** writer);
