// Units as a type-library import writes them: a unit of one to two megabytes
// that is nothing but interface, dispinterface and co-class declarations and
// their wrappers. Real applications carry a few of them; a run reads and
// lexes them and changes nothing, so they weigh on the cost per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mirel::bench {

/// The Pascal source (Windows-1252, CR LF) of unit `name`, about
/// `targetBytes` long (never shorter), a pure function of the seed.
std::string TypeLibraryUnit(uint64_t seed, const std::string& name, size_t targetBytes);

}  // namespace mirel::bench
