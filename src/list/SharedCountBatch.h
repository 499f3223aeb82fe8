#pragma once

#include <QExplicitlySharedDataPointer>

#include <utility>

// Hands out owning pointers to one shared object while taking its count a
// batch at a time. A reader placing a million rows gives each a count on
// its schema and its block; one atomic step per row, on a schema two threads
// share, costs more than decoding the row.
template<class T>
class SharedCountBatch
{
public:
    static constexpr int kBatch = 4096;

    SharedCountBatch() = default;
    SharedCountBatch(const SharedCountBatch &) = delete;
    SharedCountBatch &operator=(const SharedCountBatch &) = delete;
    SharedCountBatch(SharedCountBatch &&other) noexcept
        : m_target(std::exchange(other.m_target, nullptr)), m_left(std::exchange(other.m_left, 0))
    {
    }
    ~SharedCountBatch() { release(); }

    // `target` must be kept alive by its caller until the pointer is taken.
    QExplicitlySharedDataPointer<const T> take(const T *target)
    {
        if (target != m_target) {
            release();
            m_target = target;
        }
        if (m_left == 0) {
            m_target->ref.fetchAndAddRelaxed(kBatch);
            m_left = kBatch;
        }
        --m_left;
        return QExplicitlySharedDataPointer<const T>(m_target, QAdoptSharedDataTag{});
    }

    // Gives back the counts not handed out.
    void release()
    {
        if (m_target && m_left > 0) {
            // All but one go back at once; the last through a pointer, which
            // frees the object if nobody else holds it by then.
            m_target->ref.fetchAndSubRelaxed(m_left - 1);
            const QExplicitlySharedDataPointer<const T> last(m_target, QAdoptSharedDataTag{});
        }
        m_target = nullptr;
        m_left = 0;
    }

private:
    const T *m_target = nullptr;
    int m_left = 0;
};
