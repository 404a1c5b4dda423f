// A pin's queue of filled samples, oldest first, each entry owning one
// reference. A ring over one array: it grows (doubling) only when more
// samples are queued than ever before, which the allocator's buffer count
// bounds, so queueing and taking samples allocate nothing once streaming.
// Not thread-safe: the pin guards it with its queue lock.
#pragma once

#include <strmif.h>

#include <cstddef>
#include <memory>
#include <utility>

#include "framework/ComPtr.h"

class CDeliveryQueue
{
public:
    bool empty() const { return m_count == 0; }
    size_t size() const { return m_count; }

    // Takes over the sample's reference. Throws std::bad_alloc when it must
    // grow and cannot; the sample is then released.
    void push_back(ComPtr<IMediaSample> sample)
    {
        if (m_count == m_capacity)
            Grow();
        m_slots[(m_head + m_count) % m_capacity] = std::move(sample);
        ++m_count;
    }
    // The oldest entry with its reference; requires !empty().
    ComPtr<IMediaSample> pop_front()
    {
        ComPtr<IMediaSample> sample = std::move(m_slots[m_head]);
        m_head = (m_head + 1) % m_capacity;
        --m_count;
        return sample;
    }
    void swap(CDeliveryQueue& other) noexcept
    {
        std::swap(m_slots, other.m_slots);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_head, other.m_head);
        std::swap(m_count, other.m_count);
    }

private:
    void Grow()
    {
        const size_t capacity = m_capacity == 0 ? 8 : 2 * m_capacity;
        std::unique_ptr<ComPtr<IMediaSample>[]> slots(new ComPtr<IMediaSample>[capacity]);
        for (size_t i = 0; i < m_count; ++i)
            slots[i] = std::move(m_slots[(m_head + i) % m_capacity]);
        m_slots = std::move(slots);
        m_capacity = capacity;
        m_head = 0;
    }

    std::unique_ptr<ComPtr<IMediaSample>[]> m_slots; // m_capacity entries
    size_t m_capacity = 0;
    size_t m_head = 0;  // index of the oldest entry
    size_t m_count = 0; // entries queued
};
