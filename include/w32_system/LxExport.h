// Symbol export of the SDK's libraries: everything is hidden unless marked.
#pragma once

#define LX_EXPORT __attribute__((visibility("default")))
