// Diagnostic entry points keep the caller's errno (the platform's "last
// error"), so a caller can report a failure and still read its cause.
#pragma once

#include <cerrno>

class CLxErrnoKeeper
{
public:
    CLxErrnoKeeper() : m_saved(errno) {}
    ~CLxErrnoKeeper() { errno = m_saved; }
    CLxErrnoKeeper(const CLxErrnoKeeper&) = delete;
    CLxErrnoKeeper& operator=(const CLxErrnoKeeper&) = delete;
    int saved() const { return m_saved; }

private:
    int m_saved;
};
