// The debugger output of this platform: an in-process fan-out of texts to
// subscribed sinks (tests and the tracing window listen here), echoed to
// stderr when the environment variable QUELVIX_DEBUG_STDERR is set to 1.
#pragma once

typedef void (*LxDebugOutputSink)(const char16_t* text, void* context);

void LX_OutputDebugString(const char16_t* text);
// False when a text sent now would reach no one (no sink, no echo), so that
// a caller can skip building it.
bool LX_DebugOutputListened();
// Returns a subscription id (> 0), or 0 when none is free.
int LX_AddDebugOutputSink(LxDebugOutputSink sink, void* context);
void LX_RemoveDebugOutputSink(int id);
