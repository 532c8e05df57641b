// Splits a UTF-16 text at delimiter characters: every character of the
// delimiter set ends a token, so two delimiters in a row give an empty token.
// There is no quoting.
//
//   CLxStringTokenizer tok(u"a,,b", u",");
//   while (tok.HasMoreTokens())
//       use(tok.GetNextToken()); // "a", "", "b"
#pragma once

#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

class LX_EXPORT CLxStringTokenizer
{
  public:
    // Null texts are empty. The position starts at the beginning.
    CLxStringTokenizer(const char16_t* text, const char16_t* delimiters);

    // True while the position is before the end of the text. A delimiter at
    // the very end therefore gives no empty last token here.
    bool HasMoreTokens() const;
    // The characters from the position up to the next delimiter (possibly
    // none), stepping past that delimiter; the rest of the text when no
    // delimiter follows. An empty string once the text is used up.
    CLxStringW GetNextToken();

    // The number of fields: 0 for an empty text, otherwise 1 + the number of
    // delimiter characters (a delimiter at the end counts an empty field).
    int Size() const;
    // Field i (0-based) of the whole text, independent of the position; an
    // empty string when i < 0 or i >= Size().
    CLxStringW GetToken(int i) const;

  private:
    CLxStringW m_text;
    CLxStringW m_delimiters;
    int m_position; // where the next token starts
};
