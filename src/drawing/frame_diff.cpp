#include "drawing/frame_diff.h"

#include <algorithm>

void FrameMatch::match(std::span<const DrawOp> before, std::span<const DrawOp> after, std::vector<char> &keptBefore,
                       std::vector<char> &keptAfter)
{
    keptBefore.assign(before.size(), 0);
    keptAfter.assign(after.size(), 0);
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        keptBefore[head] = keptAfter[head] = 1, ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        keptBefore[before.size() - 1 - tail] = keptAfter[after.size() - 1 - tail] = 1;
        ++tail;
    }

    m_byHash.clear();
    for (std::size_t i = head; i < before.size() - tail; ++i)
        m_byHash.emplace_back(before[i].hash, i);
    std::sort(m_byHash.begin(), m_byHash.end());
    std::size_t next = head; // in `before`: matches must come after the last one
    for (std::size_t j = head; j < after.size() - tail; ++j) {
        auto candidate = std::lower_bound(m_byHash.begin(), m_byHash.end(), std::pair(after[j].hash, next));
        for (; candidate != m_byHash.end() && candidate->first == after[j].hash; ++candidate) {
            if (before[candidate->second] == after[j]) {
                keptBefore[candidate->second] = keptAfter[j] = 1;
                next = candidate->second + 1;
                break;
            }
        }
    }
}
