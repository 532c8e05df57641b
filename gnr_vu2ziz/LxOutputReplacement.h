// An output document written over an existing file: the new document goes
// to a temporary file beside it and takes the file's place only when it is
// complete, so the old file is never damaged by a writer that stops early.
#pragma once

#include <string>

struct SLxOutputReplacement {
    std::string sTarget;    // the file replaced, links resolved (system path)
    std::string sTemporary; // where the new document is written meanwhile

    bool Active() const { return !sTemporary.empty(); }
};

// Makes a new, empty temporary file for replacing the file at path: in the
// folder of the file (a link's target), named "<stem>.partial-XXXXXX<ext>",
// with the file's permissions. Its path for a writer goes to writerPath.
// False when the file cannot be written or the folder takes no new file.
bool LX_BeginOutputReplacement(const char16_t* path, SLxOutputReplacement& replacement,
                               std::u16string& writerPath);
// The temporary file takes the target's place; false leaves both as they are.
bool LX_CommitOutputReplacement(const SLxOutputReplacement& replacement);
// Removes the temporary file; the target stays as it was.
void LX_AbandonOutputReplacement(const SLxOutputReplacement& replacement);
