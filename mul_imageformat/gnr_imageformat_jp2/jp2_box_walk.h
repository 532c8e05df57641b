// Walking a run of boxes with a box stream: each step must move forward in
// the file, so that a damaged map or box chain that leads back to a box
// already seen ends the walk instead of repeating it.
#pragma once

#include <cstdint>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"

class CLxJP2BoxWalk
{
  public:
    explicit CLxJP2BoxWalk(CLxJP2BoxStream& stream) : m_stream(stream), m_last(stream.BoxOffset())
    {
    }
    // The next box, when there is one past the current one.
    bool Next()
    {
        if (!m_stream.Next() || m_stream.BoxOffset() <= m_last)
            return false;
        m_last = m_stream.BoxOffset();
        return true;
    }

  private:
    CLxJP2BoxStream& m_stream;
    uint64_t m_last;
};
