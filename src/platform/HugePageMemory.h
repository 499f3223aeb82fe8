#pragma once

#include <QByteArray>

#include <cstddef>

// Uninitialised memory for a large working set. On Linux it lies in
// transparent huge pages where the kernel allows them: filling it then faults
// a few pages instead of thousands (each costly, more so in a virtual
// machine), and random reads miss the TLB less.
class HugePageMemory
{
public:
    // Throws std::bad_alloc when the memory is not there.
    explicit HugePageMemory(size_t bytes);
    ~HugePageMemory();
    HugePageMemory(const HugePageMemory &) = delete;
    HugePageMemory &operator=(const HugePageMemory &) = delete;

    void *data() const { return m_data; }
    // The memory as an array of a type that needs no construction.
    template<class T>
    T *as() const
    {
        return static_cast<T *>(m_data);
    }

    // Asks the same for the whole huge pages inside memory allocated
    // elsewhere (a large container's storage), before it is first written.
    static void advise(void *data, size_t bytes);
    // The same for a byte array's whole capacity; call it right after the
    // array has grown, before the new bytes are written.
    static void advise(QByteArray &bytes);
    // Gives the whole small pages inside a range back to the system: they
    // read as zeros afterwards. Only for memory nothing will read again.
    static void discard(const void *data, size_t bytes);

private:
    void *m_data;
};
