// Hands values from one thread to another without waiting or allocating: one
// thread puts, one other thread takes. A full queue drops what is put.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

template <class T, std::size_t N> class CHandOver {
public:
    bool Put(const T& value) {
        const std::size_t tail = m_nTail.load(std::memory_order_relaxed);
        if (tail - m_nHead.load(std::memory_order_acquire) == N)
            return false;
        m_items[tail % N] = value;
        m_nTail.store(tail + 1, std::memory_order_release);
        return true;
    }
    template <class Take> void TakeAll(Take&& take) {
        std::size_t head = m_nHead.load(std::memory_order_relaxed);
        const std::size_t tail = m_nTail.load(std::memory_order_acquire);
        for (; head != tail; ++head)
            take(m_items[head % N]);
        m_nHead.store(head, std::memory_order_release);
    }

private:
    std::array<T, N> m_items{};
    std::atomic<std::size_t> m_nHead{0};
    std::atomic<std::size_t> m_nTail{0};
};
