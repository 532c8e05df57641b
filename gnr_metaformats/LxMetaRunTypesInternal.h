// Start-up steps of the metadata model, run by LX_GnrMetaformatsAttach.
#pragma once

// Registers "RLxIRect" and the 24 record run types in their order. 0, or -9
// when one of them was refused (the rest are still registered).
int LX_RegisterMetaRunTypes();
// Fills SLxExperimentEvent::_pDescription 1 to 15 with the translations of
// the event kinds' names; entry 0 stays "Unknown".
void LX_TranslateEventDescriptions();
