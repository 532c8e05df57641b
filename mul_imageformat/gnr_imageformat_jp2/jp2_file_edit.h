// Shared by the in-place edits of a JP2 file: the file opened for reading
// and writing, checked to begin with the signature and "ftyp" boxes.
#pragma once

#include <cstdint>

#include "w32_system/LxTypes.h"

namespace jp2_edit
{

// 0 with the handle; -1 when the file cannot be opened for reading and
// writing; -9 (closed again, untouched) when it does not begin with the
// signature box and a "ftyp" box.
int open_checked(const char16_t* path, LX_HFILE& file);

} // namespace jp2_edit
