// Counts the allocations made through operator new while counting is on.
// Linking this library replaces the executable's operator new and delete.
#pragma once

namespace bench {

void StartCountingAllocations();
// Stops counting; the number of allocations since the start.
long StopCountingAllocations();

} // namespace bench
