// The process-wide catalogue of fluorescent probes: the 240 built-in probes
// and the probes of user spectra files, each with an abbreviation, a group
// and the names of the optical filters assigned to it.
//
// Items are only ever appended, so an index stays valid for the life of the
// process. The catalogue exists from library start-up to its shutdown; a
// reader-writer lock guards it, so every member may be called from any
// thread.
//
// User spectra files are comma-separated UTF-8 text, one point a line:
//   excitation nm,excitation value[,emission nm,emission value]
//   ,,emission nm,emission value
// A line whose fields are not numbers (a header row) is passed over; an
// empty line, a line of one field, a line that begins with a single comma
// or the end of the text ends the file. Numbers are read in the C locale:
// leading blanks are skipped, the leading number is taken and the rest of
// the field (a carriage return included) ignored; infinities and NaNs are
// not numbers.
//
// Status codes: 0 done, -3 no memory or a file of 0 bytes or 4 GiB or more,
// -4 bad index or a file without an excitation or an emission point, -9 a
// file that cannot be written, -13 not found, and the file layer's codes
// (-1000 open, -1002 read, -1012 size, -1013 no such folder, -1025 the
// folder cannot be listed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gnr_metaformats/LxFluorescentProbe.h"
#include "gnr_system/string/LxString.h"
#include "w32_system/LxExport.h"

// One entry of the catalogue.
struct LX_EXPORT CLxFluoProbeBaseItem {
    CLxFluorescentProbe sProbe;
    char16_t szAbbrev[64];                    // zero-terminated, at most 63 units
    std::vector<CLxStringW> aAssignedFilters; // in order of assignment, no duplicates
    uint32_t uiGroup; // index into the group table; 12 or more shows as group 0

    CLxFluoProbeBaseItem();
};

class CLxFluoProbeBaseVector;

class LX_EXPORT CLxFluoProbeBase
{
  public:
    CLxFluoProbeBase() = default;
    CLxFluoProbeBase(const CLxFluoProbeBase&) = default;
    CLxFluoProbeBase& operator=(const CLxFluoProbeBase&) = default;
    virtual ~CLxFluoProbeBase();

    // The group table: "Unsorted", "Alexa Fluors", "Cyanine Dyes", "Tracker
    // Dyes", "SYTO Dyes", "Fluorescent Proteins", "QDots", "BODIPY Dyes",
    // "Nucleic Acid Stains", "Spectrums", "LIVE/DEAD Kits", "Beads".
    static const uint32_t m_uiGroupCount; // 12
    static const char16_t m_wsGroupNames[12][32];

    // Appends the built-in probes (once per process), then, with a folder,
    // the probes of the spectra files in its tree (each file path once):
    // SearchForFiles' status, else 0. -3 without memory.
    static int Init(const char16_t* folder);
    static uint32_t GetCount();

    // The abbreviation (flag set) or the name. -4 for a bad index (out
    // untouched).
    static int GetProbeName(uint32_t index, CLxStringW& out, bool abbreviation);
    // The name, the abbreviation and the group's name. -4.
    static int GetProbeName(uint32_t index, CLxStringW& name, CLxStringW& abbreviation,
                            CLxStringW& groupName);
    // A copy of the item's probe. -4.
    static int GetProbe(uint32_t index, CLxFluorescentProbe& out);
    // The first item whose name begins with the query (case-sensitive; an
    // empty query matches the first item). -13 with index = GetCount().
    static int MatchProbeName(CLxStringW query, uint32_t& index);
    // The abbreviation of the item MatchProbeName finds, else the query.
    static CLxStringW& GetAbbreviation(CLxStringW query, CLxStringW& out);

    static uint32_t GetGroupCount();
    // -4 for a group of 12 or more.
    static int GetGroupName(uint32_t group, CLxStringW& out);
    // Items whose group is exactly this value.
    static uint32_t GetProbeCountInGroup(uint32_t group);

    // With the flag set ensures the filter is assigned; with it clear
    // toggles the assignment (removes it when there, appends it when not).
    // -4 for a bad index.
    static int AssignFilter(uint32_t index, const CLxStringW& filter, bool ensure);
    // False also for a bad index.
    static bool IsFilterAssigned(uint32_t index, const CLxStringW& filter);
    // 0 for a bad index.
    static uint32_t GetAssignedFilterCount(uint32_t index);
    // The filter name at that position. -4 for a bad index or a position at
    // or past the count (out untouched).
    static int GetAssignedFilterCount(uint32_t index, uint32_t position, CLxStringW& out);

    // Writes the catalogue as C++ source text of item initialisations (UTF-8,
    // numbers in the C locale). -9 when the file cannot be created or
    // written.
    static int GenerateSourceCode(const char16_t* path);

  private:
    // Loads every file of the folder's tree not loaded before; subfolders are
    // searched, symbolic links to folders are not followed, files and
    // subfolders that fail are passed over. -1013 no such folder, -1025 it
    // cannot be listed.
    static int SearchForFiles(const char16_t* folder);
    // One spectra file as a new item (see the top of this file). Nothing is
    // appended on failure.
    static int LoadFile(const char16_t* path);
    // Splits the line (length bytes, a line feed or the end ends it) into up
    // to four fields, each a start and a length within the line: the number
    // of fields read from the left up to the first empty one; 4 for a row of
    // an emission point only (",,a,b": fields 1 and 2 empty) or one whose
    // excitation value is missing ("a,,b,c": field 2 empty); -1 for an
    // empty text.
    static int ReadLine(const char* line, size_t length, const char* fields[4], size_t lengths[4]);
    static void InitPredefined();

    // The items; made at library start-up, destroyed at its shutdown.
    static CLxFluoProbeBaseVector* m_sVector;

    friend class CLxFluoProbeBaseVector;
};
