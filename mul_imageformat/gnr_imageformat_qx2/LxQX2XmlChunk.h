// XML chunks: the UTF-8 variant XML of a record, without a terminating zero,
// read and written through the XML serializer; and the attributes record in
// its variant form.
#pragma once

#include <cstdint>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"

// The serializer, made by class name and owned by its holder (released at
// its destruction); null when the class cannot be had.
class CLxQX2Serializer
{
  public:
    CLxQX2Serializer() = default;
    ~CLxQX2Serializer();
    CLxQX2Serializer(const CLxQX2Serializer&) = delete;
    CLxQX2Serializer& operator=(const CLxQX2Serializer&) = delete;

    // The chunk's bytes ("rawStringUTF8", "rawStringLen") into out, which is
    // emptied first and may take any run type. -9 without a serializer, else
    // the serializer's code.
    int Load(const CLxByteArray& chunk, CLxVariant& out);
    // The UTF-8 document of in, without a terminating zero.
    int Save(const CLxVariant& in, CLxByteArray& chunk);

  private:
    ILxSerializer* Get();
    ILxSerializer* m_pSerializer = nullptr;
};

// The attributes as the writers store them (each key a plain value of a
// list): uiWidth .. dCompressionParam, then "uiVirtualComponents" holding
// uiComp when uiComp is at least 1.
CLxVariant LX_QX2AttributesToVariant(const SLxImageAttributes& attributes);
// Every key found sets its field; a missing key leaves the field.
void LX_QX2AttributesFromVariant(const CLxVariant& in, SLxImageAttributes& attributes);
