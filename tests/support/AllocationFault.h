// Memory that runs out, for tests of readers that must survive it. Linked
// into a test program, this replaces its operator new and delete.
#pragma once

#include <cstddef>

namespace allocationfault {

// The first block of exactly `size` bytes allocated from now on is watched.
void WatchBlockOfSize(std::size_t size);
bool WatchedBlockSeen();
// Every allocation fails from now until the watched block has been freed.
void FailUntilWatchedBlockIsFreed();
bool Failing();

}  // namespace allocationfault
