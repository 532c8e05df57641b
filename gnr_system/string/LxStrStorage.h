// Character storage of the string buffers (private heap), with a switch for
// the tests that must see storage refused.
#pragma once

// From now on, the next `count` storage requests succeed and every later one
// is refused; -1 ends the refusals.
void LX_StrStorageFailAfter(int count);
