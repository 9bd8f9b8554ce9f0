#include "display/shuffle_order.h"

#include <utility>

uint64_t ShuffleOrder::Random::NextValue() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t ShuffleOrder::Random::Below(uint32_t bound) {
    // Values in the incomplete last block of `bound` would favour the small results.
    const uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
    uint64_t value = NextValue();
    while (value >= limit) value = NextValue();
    return static_cast<uint32_t>(value % bound);
}

void ShuffleOrder::ShuffleFrom(int from) {
    for (int last = Count() - 1; last > from; --last) {
        const int pick = from + static_cast<int>(m_random.Below(static_cast<uint32_t>(last - from + 1)));
        std::swap(m_order[last], m_order[pick]);
    }
}

void ShuffleOrder::StartAfter(int count, const std::vector<int>& shown) {
    if (count < 0) count = 0;
    m_order.clear();
    m_order.reserve(count);
    // Marks which positions already have their place at the front.
    std::vector<bool> placed(count, false);
    for (int position : shown) {
        if (position < 0 || position >= count || placed[position]) continue;
        placed[position] = true;
        m_order.push_back(position);
    }
    m_shownInCycle = Count();
    for (int position = 0; position < count; ++position) {
        if (!placed[position]) m_order.push_back(position);
    }
    ShuffleFrom(m_shownInCycle);
}

void ShuffleOrder::StartNextCycle() {
    const int last = m_order.back();
    ShuffleFrom(0);
    // The first picture of the new cycle takes the place of another one, picked at random, when
    // it would show the last picture twice in a row.
    if (Count() >= 2 && m_order.front() == last) {
        const int other = 1 + static_cast<int>(m_random.Below(static_cast<uint32_t>(Count() - 1)));
        std::swap(m_order[0], m_order[other]);
    }
    m_shownInCycle = 0;
}

int ShuffleOrder::Next() {
    if (m_order.empty()) return -1;
    if (m_shownInCycle >= Count()) StartNextCycle();
    return m_order[m_shownInCycle++];
}

void ShuffleOrder::Remove(int position) {
    int write = 0;
    for (int read = 0; read < Count(); ++read) {
        const int value = m_order[read];
        if (value == position) {
            if (read < m_shownInCycle) --m_shownInCycle;
            continue;
        }
        m_order[write++] = value > position ? value - 1 : value;
    }
    m_order.resize(write);
}
