#pragma once

#include <cstdint>
#include <vector>

// The order in which a display shows its pictures when shuffle is on. A cycle shows every
// picture of the list exactly once, in a random order; the next cycle is a new random order whose
// first picture is never the last one of the cycle before (for lists of two or more). Pictures
// are named by their position in the display's list; the order holds positions, never paths, so
// building a cycle is one pass over the positions.
//
// The order has no clock and no thread: the worker asks for the next picture at every change.
class ShuffleOrder {
public:
    // `seed` picks the random orders; the same seed gives the same orders.
    explicit ShuffleOrder(uint64_t seed = 0x9E3779B97F4A7C15ull) : m_random(seed) {}

    // Starts a new cycle over a list of `count` pictures, none of them shown yet.
    void Start(int count) { StartAfter(count, {}); }
    // Starts a new cycle over a list of `count` pictures in which the pictures at `shown` (in the
    // order they were shown; positions outside the list and repeats are left out) count as shown
    // already: they take the cycle's first places and the rest follow in a random order.
    void StartAfter(int count, const std::vector<int>& shown);

    // The position of the picture for the next change; a new cycle begins after the last picture
    // of one. -1 while the list is empty.
    int Next();

    // The picture at `position` left the list; the positions after it move down by one. The
    // cycle goes on with the pictures it has not shown yet.
    void Remove(int position);

    int Count() const { return static_cast<int>(m_order.size()); }
    // How many pictures of the running cycle have been shown.
    int ShownInCycle() const { return m_shownInCycle; }

private:
    // splitmix64: small, fast and good enough to pick orders; the same on every compiler.
    class Random {
    public:
        explicit Random(uint64_t seed) : m_state(seed) {}
        uint64_t NextValue();
        // A number from 0 to `bound` - 1 (`bound` > 0), without the bias of a plain modulo.
        uint32_t Below(uint32_t bound);

    private:
        uint64_t m_state;
    };

    // Shuffles m_order[from..] in place (Fisher-Yates).
    void ShuffleFrom(int from);
    void StartNextCycle();

    Random m_random;
    std::vector<int> m_order;  // positions in the list, in the order of the running cycle
    int m_shownInCycle = 0;    // m_order[0 .. m_shownInCycle - 1] have been shown
};
