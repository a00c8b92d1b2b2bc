#include "infobase/search/InParallel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace infobase::search {

void inParallel(std::size_t count, std::size_t leastPerPart,
                const std::function<void(std::size_t begin, std::size_t end)>& work) {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t parts = std::clamp<std::size_t>(
        count / std::max<std::size_t>(leastPerPart, 1), 1, std::min<std::size_t>(cores, 8));
    std::vector<std::thread> helpers;
    helpers.reserve(parts - 1);
    for (std::size_t part = 1; part < parts; ++part) {
        helpers.emplace_back(work, count * part / parts, count * (part + 1) / parts);
    }
    work(0, count / parts);
    for (std::thread& helper : helpers) {
        helper.join();
    }
}

} // namespace infobase::search
