// Checks of the engine's position shared by the tests: the incremental state
// against the reference classifier.
#pragma once

#include <cstdint>
#include <string>

namespace state_checks {

// Every playable node linked once, in the list it names, with agreeing links
// and counts, and totalValue the weight sum; the first fault, or nothing.
std::string ListFaults();
// The engine state against the reference classification under the rule in
// force, the key against the stones, and the lists (with every square's list
// agreeing, their counts and totalValue follow); the first difference, or
// nothing when all agree.
std::string StateFaults(uint64_t startKey);

}  // namespace state_checks
