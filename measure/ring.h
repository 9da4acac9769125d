// A ring of at most N entries: the newest is added at the back, and
// once the ring is full each addition drops the oldest. All N entries are
// made at the first addition, so the memory is taken and written once and
// stays the same while the ring fills (a reserved but untouched block would
// grow the process's memory page by page).
#pragma once

#include <cstddef>
#include <vector>

template <typename T, size_t N>
struct Ring {
    std::vector<T> storage;  // N entries from the first addition on
    size_t first = 0;        // index of the oldest entry in storage
    size_t count = 0;
};

template <typename T, size_t N>
size_t ring_size(const Ring<T, N>& ring) {
    return ring.count;
}

// Entry i, counted from the oldest (0) to the newest (size - 1).
template <typename T, size_t N>
const T& ring_at(const Ring<T, N>& ring, size_t i) {
    return ring.storage[(ring.first + i) % N];
}

template <typename T, size_t N>
const T& ring_newest(const Ring<T, N>& ring) {
    return ring_at(ring, ring.count - 1);
}

template <typename T, size_t N>
void ring_push(Ring<T, N>& ring, T entry) {
    if (ring.storage.size() < N) ring.storage.resize(N);
    const size_t slot = (ring.first + ring.count) % N;
    ring.storage[slot] = std::move(entry);
    if (ring.count == N)
        ring.first = (ring.first + 1) % N;
    else
        ++ring.count;
}

// Drops the oldest entry, if any.
template <typename T, size_t N>
void ring_drop_oldest(Ring<T, N>& ring) {
    if (ring.count == 0) return;
    ring.first = (ring.first + 1) % N;
    --ring.count;
}

template <typename T, size_t N>
void ring_clear(Ring<T, N>& ring) {
    ring.storage.clear();  // keeps the memory
    ring.first = ring.count = 0;
}
