// The probe catalogue's storage, its lock and the pieces of the spectra-file
// reader that the tests and the fuzz target reach.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "gnr_metaformats/LxFluoProbeBase.h"

class CLxFluoProbeBaseVector
{
  public:
    std::vector<CLxFluoProbeBaseItem> aItems;
    std::set<std::u16string> aLoadedPaths; // spectra files appended so far
    bool bPredefined = false;              // the built-in probes are in

    // The catalogue, or null outside the library's lifetime. The caller holds
    // the lock.
    static CLxFluoProbeBaseVector* Get() { return CLxFluoProbeBase::m_sVector; }
    static void Set(CLxFluoProbeBaseVector* v) { CLxFluoProbeBase::m_sVector = v; }

    // Text of a spectra file (no terminator needed) into the two spectra,
    // which start empty: 0, -4 when either gets no point, -3 no memory.
    static int ParseSpectra(const char* text, size_t length, CLxOpticalFilterSpectrum& excitation,
                            CLxOpticalFilterSpectrum& emission);
    // A field as a number with "%lf"'s reading: leading blanks skipped, the
    // leading number taken, the rest ignored. False when it does not begin
    // with a finite number.
    static bool ReadNumber(const char* field, size_t length, double& value);
    // The probe name of a spectra file: the path's last component without
    // its extension (kept when the '.' is the first character), every '#'
    // turned into '/'.
    static CLxStringW ProbeName(const char16_t* path);
    static int ReadLine(const char* line, size_t length, const char* fields[4], size_t lengths[4])
    {
        return CLxFluoProbeBase::ReadLine(line, length, fields, lengths);
    }
    static int LoadFile(const char16_t* path) { return CLxFluoProbeBase::LoadFile(path); }
};

// The catalogue's reader-writer lock (never destroyed).
extern pthread_rwlock_t g_LxFluoProbeBaseLock;

class CLxFluoProbeReadLock
{
  public:
    CLxFluoProbeReadLock() { pthread_rwlock_rdlock(&g_LxFluoProbeBaseLock); }
    ~CLxFluoProbeReadLock() { pthread_rwlock_unlock(&g_LxFluoProbeBaseLock); }
    CLxFluoProbeReadLock(const CLxFluoProbeReadLock&) = delete;
    CLxFluoProbeReadLock& operator=(const CLxFluoProbeReadLock&) = delete;
};

class CLxFluoProbeWriteLock
{
  public:
    CLxFluoProbeWriteLock() { pthread_rwlock_wrlock(&g_LxFluoProbeBaseLock); }
    ~CLxFluoProbeWriteLock() { pthread_rwlock_unlock(&g_LxFluoProbeBaseLock); }
    CLxFluoProbeWriteLock(const CLxFluoProbeWriteLock&) = delete;
    CLxFluoProbeWriteLock& operator=(const CLxFluoProbeWriteLock&) = delete;
};

// Tests only: empties the catalogue as if the library had just been loaded.
void LX_FluoProbeBaseResetForTests();
