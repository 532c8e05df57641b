// Test hook of the log file: the host application's main window
// ("K3_MAINWND_CLASS") never exists on this platform, so its presence is
// simulated to test the rule that keeps the log closed while it exists.
#pragma once

void LX_SimulateMainWindow(bool present);

// Looks for "SetupOptions.xml" in this folder instead of the executable's
// (null: the executable's folder again).
void LX_SetSettingsFolderOverride(const char16_t* folder);
