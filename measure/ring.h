// A ring of at most `capacity` entries: the newest is added at the back, and
// once the ring is full each addition drops the oldest. The storage is taken
// whole at the first addition, so a full ring never grows or moves again.
#pragma once

#include <cstddef>
#include <vector>

template <typename T>
struct Ring {
    size_t capacity = 0;
    std::vector<T> storage;  // reserved to capacity at the first addition
    size_t first = 0;        // index of the oldest entry in storage
    size_t count = 0;
};

template <typename T>
size_t ring_size(const Ring<T>& ring) {
    return ring.count;
}

// Entry i, counted from the oldest (0) to the newest (size - 1).
template <typename T>
const T& ring_at(const Ring<T>& ring, size_t i) {
    return ring.storage[(ring.first + i) % ring.capacity];
}

template <typename T>
const T& ring_newest(const Ring<T>& ring) {
    return ring_at(ring, ring.count - 1);
}

template <typename T>
void ring_push(Ring<T>& ring, T entry) {
    if (ring.capacity == 0) return;
    if (ring.storage.capacity() < ring.capacity) ring.storage.reserve(ring.capacity);
    if (ring.storage.size() < ring.capacity) {
        ring.storage.push_back(std::move(entry));
        ++ring.count;
        return;
    }
    const size_t slot = (ring.first + ring.count) % ring.capacity;
    ring.storage[slot] = std::move(entry);
    if (ring.count == ring.capacity)
        ring.first = (ring.first + 1) % ring.capacity;
    else
        ++ring.count;
}

// Drops the oldest entry, if any.
template <typename T>
void ring_drop_oldest(Ring<T>& ring) {
    if (ring.count == 0) return;
    ring.first = (ring.first + 1) % ring.capacity;
    --ring.count;
}

template <typename T>
void ring_clear(Ring<T>& ring) {
    ring.storage.clear();  // keeps the memory
    ring.first = ring.count = 0;
}
