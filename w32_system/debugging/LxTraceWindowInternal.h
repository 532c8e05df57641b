// The tracing window's pieces that only the library (and its tests) use.
#pragma once

// Destroys the process-wide framework of DiagOutputWnd, if there is one.
void LX_DestroyDebugFramework();
