#pragma once

#include <cstddef>
#include <functional>

namespace infobase::search {

// Runs the work over [0, count) in consecutive parts, one per core (at most eight), each part
// at least `leastPerPart` long; the caller's thread takes the first part and waits for the
// others. The parts must write to places of their own only.
void inParallel(std::size_t count, std::size_t leastPerPart,
                const std::function<void(std::size_t begin, std::size_t end)>& work);

} // namespace infobase::search
