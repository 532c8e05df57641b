#include "gnr_system/string/LxStringTokenizer.h"

CLxStringTokenizer::CLxStringTokenizer(const char16_t* text, const char16_t* delimiters)
    : m_text(text), m_delimiters(delimiters), m_position(0)
{
}

bool CLxStringTokenizer::HasMoreTokens() const
{
    return m_position < m_text.GetLength();
}

CLxStringW CLxStringTokenizer::GetNextToken()
{
    const int start = m_position;
    const int end = m_text.FindOneOf(m_delimiters, start);
    if (end < 0) {
        m_position = m_text.GetLength();
        return m_text.Mid(start);
    }
    m_position = end + 1;
    return m_text.Mid(start, end - start);
}

int CLxStringTokenizer::Size() const
{
    if (m_text.IsEmpty())
        return 0;
    int fields = 1;
    for (int d = m_text.FindOneOf(m_delimiters); d >= 0; d = m_text.FindOneOf(m_delimiters, d + 1))
        ++fields;
    return fields;
}

CLxStringW CLxStringTokenizer::GetToken(int i) const
{
    if (i < 0)
        return CLxStringW();
    int start = 0;
    for (; i > 0; --i) {
        const int d = m_text.FindOneOf(m_delimiters, start);
        if (d < 0)
            return CLxStringW();
        start = d + 1;
    }
    const int end = m_text.FindOneOf(m_delimiters, start);
    return end < 0 ? m_text.Mid(start) : m_text.Mid(start, end - start);
}
