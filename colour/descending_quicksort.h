#pragma once
// The one sort of the colour optimisations: a quicksort by descending key with the middle element
// as pivot. Which of two equal keys ends up first is decided by these exact partition steps, and
// the colour tables that come out depend on it, so every sort of colour entries goes through here.

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace qm {

// Sorts `items` by descending `keyOf(item)`. The left part of each partition is sorted before
// the right part is partitioned again, exactly as a recursion on the left and a loop on the
// right would; the pending right parts are kept on the heap so that no input can exhaust the
// stack.
template <class T, class KeyOf> void SortDescending(std::span<T> items, const KeyOf& keyOf) {
    if (items.size() < 2)
        return;
    struct Range {
        std::ptrdiff_t l;
        std::ptrdiff_t r;
    };
    std::vector<Range> pending{{0, static_cast<std::ptrdiff_t>(items.size()) - 1}};
    const auto at = [&items](std::ptrdiff_t i) -> T& { return items[static_cast<std::size_t>(i)]; };
    while (!pending.empty()) {
        const Range range = pending.back();
        pending.pop_back();
        std::ptrdiff_t i = range.l;
        std::ptrdiff_t j = range.r;
        const auto pivot = keyOf(at((range.l + range.r) / 2));
        do {
            while (keyOf(at(i)) > pivot)
                ++i;
            while (keyOf(at(j)) < pivot)
                --j;
            if (i <= j) {
                std::swap(at(i), at(j));
                ++i;
                --j;
            }
        } while (i <= j);
        // Last in, first out: the left part is finished before the right part starts.
        if (i < range.r)
            pending.push_back({i, range.r});
        if (range.l < j)
            pending.push_back({range.l, j});
    }
}

} // namespace qm
