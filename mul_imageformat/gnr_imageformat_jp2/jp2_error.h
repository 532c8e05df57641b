// Errors of the JPEG 2000 format: every malformed box, failed straight-through
// write and codec failure is thrown as CLxJP2ErrorException, caught by the
// reader's and writer's operations and turned into a status code there. No
// exception leaves an exported function.
#pragma once

#include <cstdint>

// Thrown by value. The text travels in the exception itself, so errors of
// two threads never mix.
class CLxJP2ErrorException
{
  public:
    // Keeps at most 255 characters of text (null: empty).
    explicit CLxJP2ErrorException(const char* text, int32_t code = -9);

    const char* GetText() const { return m_text; }
    int32_t GetCode() const { return m_code; }

  private:
    char m_text[256];
    int32_t m_code;
};

// Status of a failed straight-through write of a box.
enum : int32_t { LX_JP2_E_WRITE_THROUGH = -1107 };

// Throws CLxJP2ErrorException with the text and code.
[[noreturn]] void LX_RaiseJp2Error(const char* text, int32_t code = -9);

// A message assembled in pieces before it is raised, the way the codec
// reports: each piece replaces the previous one, so the last piece is what
// the exception carries. One object per report; nothing is process-wide.
class CLxJP2ErrorMessage
{
  public:
    CLxJP2ErrorMessage() { m_text[0] = 0; }
    // Copies at most 255 characters of text (null: empty).
    void PutText(const char* text);
    // Throws the text with code -9; never returns.
    [[noreturn]] void End();

  private:
    char m_text[256];
};

// Kept for the library's start-up: there is nothing process-wide to install,
// since every error is thrown where it is found. Returns 1.
int LX_InitJp2ErrorHandler();
