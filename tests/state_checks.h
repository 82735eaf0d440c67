// Checks of the engine's position shared by the tests: the incremental state
// against the reference classifier, and snapshots that a take-back must
// restore.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace state_checks {

// A new game with Zobrist codes (the first call sets the defaults); its key.
uint64_t KeyedGame();
// Every playable node linked once, in the list it names, with agreeing links
// and counts, and totalValue the weight sum; the first fault, or nothing.
std::string ListFaults();
// The engine state against the reference classification under the rule in
// force, the key against the stones, and the lists (with every square's list
// agreeing, their counts and totalValue follow); the first difference, or
// nothing when all agree.
std::string StateFaults(uint64_t startKey);

// Everything a stone and its take-back must restore. At 10 * square: symbol,
// line categories, four codes, both players' lists, both raisedAt stamps.
using Snapshot = std::vector<int64_t>;
Snapshot Take();
// All comes back but the stamps of the taken square's own nodes.
bool Restored(Snapshot before, int16_t taken);
// After the n-th stone a node raised to a more urgent list carries n; every
// other node keeps its stamp.
bool StampsFollow(const Snapshot& before);

}  // namespace state_checks
