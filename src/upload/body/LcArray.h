// CLcArray is the growable array that holds the records of one request in
// body order. The elements live in one heap block, _ARRAYDATA_LC, that
// starts with a reference count, the number of live elements and the
// number of slots, followed by the slots. Elements are moved bit for bit
// when the block grows, so an element type needs no copy operations; it is
// constructed in place by its default constructor and destroyed in place.
//
// Allocation failure never throws: AllocBuffer and SetSize report false and
// leave the array as it was, Add returns null; the caller turns that into
// E_OUTOFMEMORY.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

struct _ARRAYDATA_LC
{
    int32_t refCount; // array objects sharing this block; 1 after allocation
    int32_t size;     // constructed elements, from slot 0
    int32_t capacity; // slots allocated after the three counts
};

template <class T, class D> class CLcArray2
{
public:
    CLcArray2() = default;
    virtual ~CLcArray2() { Empty(); }

    CLcArray2(const CLcArray2&) = delete;
    CLcArray2& operator=(const CLcArray2&) = delete;

    int32_t GetSize() const { return m_pData ? m_pData->size : 0; }
    int32_t GetCapacity() const { return m_pData ? m_pData->capacity : 0; }

    // No range check: callers check 0 <= index < GetSize() first.
    T* ElementAt(int32_t index) { return Slots(m_pData) + index; }
    const T* ElementAt(int32_t index) const { return Slots(m_pData) + index; }

    // One more element, empty; null when the storage cannot grow. The
    // address stays valid until the array grows again or is emptied.
    T* Add()
    {
        const int32_t size = GetSize();
        if (size == INT32_MAX || !SetSize(size + 1, -1))
            return nullptr;
        return ElementAt(size);
    }

    // Changes the number of elements, constructing or destroying at the end.
    // growBy -1 asks for the default growth when the slots run out: an
    // eighth of the size, at least 4 and, below 8,200 elements, at most
    // 1,024; from 8,200 elements on the capacity doubles, so that filling a
    // large array costs linear time rather than quadratic.
    bool SetSize(int32_t newSize, int32_t growBy)
    {
        if (newSize < 0)
            return false;
        if (newSize == 0) {
            if (growBy > 0)
                return AllocBuffer(growBy);
            Empty();
            return true;
        }
        if (!m_pData) {
            const int64_t capacity =
                growBy == -1 ? newSize : static_cast<int64_t>(newSize) + (growBy > 0 ? growBy : 0);
            if (!AllocBuffer(ClampCapacity(capacity)))
                return false;
            ConstructRange(0, newSize);
            m_pData->size = newSize;
            return true;
        }
        const int32_t size = m_pData->size;
        if (newSize == size)
            return true;
        if (newSize <= m_pData->capacity) {
            if (newSize > size)
                ConstructRange(size, newSize);
            else
                DestroyRange(newSize, size);
            m_pData->size = newSize;
            return true;
        }
        return Grow(newSize, growBy);
    }

    // Detaches from the block; the last array to let go destroys the
    // elements and frees it.
    void Empty()
    {
        D* block = m_pData;
        m_pData = nullptr;
        if (!block || --block->refCount > 0)
            return;
        DestroyElements(block, 0, block->size);
        std::free(block);
    }

    // Empty(), then for a capacity of 1 or more a fresh block with no
    // elements. False when the block cannot be allocated.
    bool AllocBuffer(int32_t capacity)
    {
        Empty();
        if (capacity < 1)
            return true;
        if (static_cast<size_t>(capacity) > (SIZE_MAX - kSlotOffset) / sizeof(T))
            return false;
        void* memory = std::malloc(kSlotOffset + static_cast<size_t>(capacity) * sizeof(T));
        if (!memory)
            return false;
        m_pData = static_cast<D*>(memory);
        m_pData->refCount = 1;
        m_pData->size = 0;
        m_pData->capacity = capacity;
        return true;
    }

    // Shares other's block. Only growth uses this; a shared block is never
    // copied before it is changed.
    void Assign(CLcArray2& other)
    {
        if (other.m_pData == m_pData)
            return;
        Empty();
        m_pData = other.m_pData;
        if (m_pData)
            ++m_pData->refCount;
    }

protected:
    // Slots start at the first offset after the counts that suits T.
    static constexpr size_t kSlotOffset = (sizeof(D) + alignof(T) - 1) / alignof(T) * alignof(T);

    static T* Slots(D* block)
    {
        return reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(block) + kSlotOffset);
    }
    static const T* Slots(const D* block)
    {
        return reinterpret_cast<const T*>(reinterpret_cast<const unsigned char*>(block) +
                                          kSlotOffset);
    }

    static int32_t ClampCapacity(int64_t capacity)
    {
        return capacity > INT32_MAX ? INT32_MAX : static_cast<int32_t>(capacity);
    }

    static int32_t DefaultGrowth(int32_t size)
    {
        if (size >= 8200)
            return size;
        const int32_t growBy = size / 8;
        return growBy < 4 ? 4 : (growBy > 1024 ? 1024 : growBy);
    }

    bool Grow(int32_t newSize, int32_t growBy)
    {
        const int32_t size = m_pData->size;
        if (growBy == -1)
            growBy = DefaultGrowth(size);
        int64_t capacity = static_cast<int64_t>(m_pData->capacity) + (growBy > 0 ? growBy : 0);
        if (capacity < newSize)
            capacity = newSize;
        const int32_t newCapacity = ClampCapacity(capacity);
        if (m_pData->refCount == 1)
            return GrowInPlace(newSize, newCapacity);
        CLcArray2 grown;
        if (!grown.AllocBuffer(newCapacity))
            return false;
        std::memcpy(static_cast<void*>(Slots(grown.m_pData)),
                    static_cast<const void*>(Slots(m_pData)),
                    static_cast<size_t>(size) * sizeof(T));
        grown.m_pData->size = size;
        grown.ConstructRange(size, newSize);
        grown.m_pData->size = newSize;
        // The moved records now belong to the new block; releasing the old
        // one must not destroy them.
        m_pData->size = 0;
        Assign(grown);
        grown.Empty();
        return true;
    }

    // A block that no other array shares is resized where the allocator
    // can: large blocks then move without copying or touching their pages
    // again. The records move bit for bit either way.
    bool GrowInPlace(int32_t newSize, int32_t newCapacity)
    {
        if (static_cast<size_t>(newCapacity) > (SIZE_MAX - kSlotOffset) / sizeof(T))
            return false;
        void* memory =
            std::realloc(m_pData, kSlotOffset + static_cast<size_t>(newCapacity) * sizeof(T));
        if (!memory)
            return false;
        m_pData = static_cast<D*>(memory);
        m_pData->capacity = newCapacity;
        ConstructRange(m_pData->size, newSize);
        m_pData->size = newSize;
        return true;
    }

    void ConstructRange(int32_t from, int32_t to)
    {
        T* slots = Slots(m_pData);
        for (int32_t i = from; i < to; ++i)
            new (static_cast<void*>(slots + i)) T();
    }

    void DestroyRange(int32_t from, int32_t to) { DestroyElements(m_pData, from, to); }

    static void DestroyElements(D* block, int32_t from, int32_t to)
    {
        T* slots = Slots(block);
        for (int32_t i = from; i < to; ++i)
            slots[i].~T();
    }

    D* m_pData = nullptr;
};

// The array the upload object holds: CLcArray2 over _ARRAYDATA_LC, adding
// nothing but its own virtual destructor.
template <class T> class CLcArray : public CLcArray2<T, _ARRAYDATA_LC>
{
public:
    CLcArray() = default;
    ~CLcArray() override = default;
};
