// The JPEG 2000 keeper of foreign boxes: XML boxes whose text is not one of
// our own and UUID boxes with another identifier, for a writer to copy into
// the next file. Items have no name.
#pragma once

#include "mul_imageformat/gnr_imageformat_qx2/LxUnknownDataKeeper.h"

class CLxJP2UnknownData : public CLxUnknownDataKeeper
{
  public:
    enum : uint32_t {
        udtXMLBox = 0,  // the contents of an "xml " box
        udtUUIDBox = 1, // the 16-byte UUID, then the box's data
    };

    explicit CLxJP2UnknownData(const CLxStringA& formatId)
        : CLxUnknownDataKeeper(formatId, u"jp2_unknown$$$$.tmp")
    {
    }
};
