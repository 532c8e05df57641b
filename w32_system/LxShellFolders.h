// The application-data folders that stand in for the shell's: per user
// $XDG_DATA_HOME (else $HOME/.local/share), for all users the first folder of
// $XDG_DATA_DIRS (else /usr/local/share). Relative values are ignored, as the
// XDG rules ask. Returned without a closing '/', empty when there is none.
#pragma once

#include <string>

std::u16string LX_GetLocalAppDataFolder();
std::u16string LX_GetCommonAppDataFolder();
