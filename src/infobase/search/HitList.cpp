#include "infobase/search/HitList.h"

#include <algorithm>

namespace infobase::search {

void HitList::clear() {
    found_.hits.clear();
    found_.places.clear();
}

FoundBranches HitList::cut(int begin, int end) {
    std::vector<int>& places = found_.places;
    const auto first = std::lower_bound(places.begin(), places.end(), begin) - places.begin();
    const auto last = std::lower_bound(places.begin(), places.end(), end) - places.begin();
    FoundBranches gone;
    gone.hits.assign(found_.hits.begin() + first, found_.hits.begin() + last);
    for (auto at = places.begin() + first; at != places.begin() + last; ++at) {
        gone.places.push_back(*at - begin);
    }
    found_.hits.erase(found_.hits.begin() + first, found_.hits.begin() + last);
    places.erase(places.begin() + first, places.begin() + last);
    for (auto later = places.begin() + first; later != places.end(); ++later) {
        *later -= end - begin;
    }
    return gone;
}

void HitList::open(int at, int count, const FoundBranches& coming) {
    std::vector<int>& places = found_.places;
    const auto first = std::lower_bound(places.begin(), places.end(), at) - places.begin();
    for (auto later = places.begin() + first; later != places.end(); ++later) {
        *later += count;
    }
    found_.hits.insert(found_.hits.begin() + first, coming.hits.begin(), coming.hits.end());
    std::vector<int> shifted(coming.places);
    for (int& place : shifted) {
        place += at;
    }
    places.insert(places.begin() + first, shifted.begin(), shifted.end());
}

void HitList::redo(const std::vector<int>& looked, const FoundBranches& found) {
    FoundBranches merged;
    merged.hits.reserve(found_.hits.size() + found.hits.size());
    merged.places.reserve(found_.hits.size() + found.hits.size());
    std::size_t old = 0;
    std::size_t fresh = 0;
    auto skip = looked.begin();
    while (old < found_.places.size() || fresh < found.places.size()) {
        const bool takeOld =
            fresh == found.places.size() ||
            (old < found_.places.size() && found_.places[old] < found.places[fresh]);
        if (takeOld) {
            const int place = found_.places[old];
            skip = std::lower_bound(skip, looked.end(), place);
            if (skip == looked.end() || *skip != place) {
                merged.hits.push_back(found_.hits[old]);
                merged.places.push_back(place);
            }
            ++old;
        } else {
            merged.hits.push_back(found.hits[fresh]);
            merged.places.push_back(found.places[fresh]);
            ++fresh;
        }
    }
    found_ = std::move(merged);
}

} // namespace infobase::search
