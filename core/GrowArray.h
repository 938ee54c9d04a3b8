// The client's growable arrays: {capacity, count, data} with a geometric append and an exact resize.
// GrowArray is the one template; PtrArray, CByteBuffer and WideTextBuffer are its pointer, byte and UTF-16 forms.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/win/WinTypes.h"

template <typename T> class GrowArray {
public:
    UINT capacity = 0;
    UINT count = 0;
    T* data = nullptr;

    // Every place of the block holds a constructed element: class elements are made empty,
    // plain elements (pointers, bytes, records) start zeroed. A first capacity of 0 makes no block until the
    // first element comes (data stays null).
    explicit GrowArray(UINT firstCapacity = 64)
        : capacity(firstCapacity), data(firstCapacity ? MakeBlock(firstCapacity) : nullptr)
    {
        if (data == nullptr) {
            capacity = 0;
        }
    }
    ~GrowArray() { Free(); }

    GrowArray(const GrowArray&) = delete;
    GrowArray& operator=(const GrowArray&) = delete;
    GrowArray(GrowArray&& other) noexcept : capacity(other.capacity), count(other.count), data(other.data)
    {
        other.capacity = 0;
        other.count = 0;
        other.data = nullptr;
    }
    GrowArray& operator=(GrowArray&& other) noexcept
    {
        if (this != &other) {
            Free();
            capacity = std::exchange(other.capacity, 0);
            count = std::exchange(other.count, 0);
            data = std::exchange(other.data, nullptr);
        }
        return *this;
    }

    // Adds copies of n items at the end. A full array grows to twice its capacity plus n.
    // Returns the block, or null (nothing appended) when a bigger block cannot be made.
    // The items may lie inside this array: the old block lives until they are copied.
    T* Append(const T* items, UINT n)
    {
        if (n == 0) {
            return data;
        }
        if (items == nullptr) {
            return nullptr;
        }
        uint64_t needed = uint64_t(count) + n;
        if (needed > capacity) {
            uint64_t grown = 2 * uint64_t(capacity) + n;
            if (grown < needed) {
                grown = needed; // only when count exceeds capacity, which the operations never allow
            }
            if (grown > MAX_ELEMENTS) {
                return nullptr;
            }
            T* block = MakeBlock(UINT(grown));
            if (block == nullptr) {
                return nullptr;
            }
            CopyElements(block + count, items, n); // first: the items may be old elements about to move
            MoveElements(block, data, count);
            DestroyBlock(data);
            data = block;
            capacity = UINT(grown);
        } else {
            CopyElements(data + count, items, n);
        }
        count += n;
        return data;
    }

    T* Append(const T& item) { return Append(&item, 1); }

    // Makes room for n elements in all (a block of exactly n when it grows); the count stays. FALSE (nothing
    // changed) when no block can be made.
    BOOL Reserve(UINT n)
    {
        if (n <= capacity) {
            return TRUE;
        }
        if (uint64_t(n) > MAX_ELEMENTS) {
            return FALSE;
        }
        T* block = MakeBlock(n);
        if (block == nullptr) {
            return FALSE;
        }
        MoveElements(block, data, count);
        DestroyBlock(data);
        data = block;
        capacity = n;
        return TRUE;
    }

    // Sets the number of elements in use. Growing past the capacity grows by exactly what is asked:
    // the capacity becomes capacity + n. Returns FALSE (count unchanged) when no block can be made.
    BOOL SetCount(UINT n)
    {
        if (n > capacity) {
            uint64_t grown = uint64_t(capacity) + n;
            if (grown > MAX_ELEMENTS) {
                return FALSE;
            }
            T* block = MakeBlock(UINT(grown));
            if (block == nullptr) {
                return FALSE;
            }
            MoveElements(block, data, count);
            DestroyBlock(data);
            data = block;
            capacity = UINT(grown);
        }
        count = n;
        return TRUE;
    }

    // Replaces the elements by copies of n items (not inside this array) in a block of exactly n + spare places,
    // the spare ones zeroed: a block filled at once is not zeroed first only to be copied over. Plain elements
    // only. Returns FALSE (nothing changed) when no block can be made.
    BOOL Assign(const T* items, UINT n, UINT spare)
    {
        static_assert(PLAIN, "Assign copies elements as bytes");
        uint64_t total = uint64_t(n) + spare;
        if (total > MAX_ELEMENTS || (n > 0 && items == nullptr)) {
            return FALSE;
        }
        T* block = static_cast<T*>(std::malloc(size_t(total ? total : 1) * sizeof(T)));
        if (block == nullptr) {
            return FALSE;
        }
        if (n > 0) {
            std::memcpy(static_cast<void*>(block), items, size_t(n) * sizeof(T));
        }
        std::memset(static_cast<void*>(block + n), 0, size_t(spare) * sizeof(T));
        DestroyBlock(data);
        data = block;
        capacity = UINT(total);
        count = n;
        return TRUE;
    }

    // Element i, or the last element when i is past the end (a negative index, taken unsigned, too).
    // Callers test the count first; an empty array has no element to give.
    T* At(UINT i)
    {
        assert(count > 0 && data != nullptr && "At on an empty array");
        if (count == 0) {
            return data; // the block's first place (constructed; null before any block) rather than memory before it
        }
        return i < count ? data + i : data + (count - 1);
    }
    const T* At(UINT i) const { return const_cast<GrowArray*>(this)->At(i); }

    // Makes the block exactly n places, keeping the first min(count, n) elements; places it gains start zeroed.
    // Plain elements only: the block is resized where it lies when the system can, so a large one never exists
    // twice on the way. Returns FALSE (nothing changed) when no block can be made.
    BOOL Resize(UINT n)
    {
        static_assert(PLAIN, "Resize moves elements as bytes");
        if (uint64_t(n) > MAX_ELEMENTS) {
            return FALSE;
        }
        T* block = static_cast<T*>(std::realloc(data, size_t(n ? n : 1) * sizeof(T)));
        if (block == nullptr) {
            return FALSE;
        }
        UINT kept = data == nullptr ? 0 : capacity;
        if (n > kept) {
            std::memset(static_cast<void*>(block + kept), 0, size_t(n - kept) * sizeof(T));
        }
        data = block;
        capacity = n;
        if (count > n) {
            count = n;
        }
        return TRUE;
    }

    // Deletes the block; capacity and count stay, so Free is the last operation on an array.
    void Free()
    {
        DestroyBlock(data);
        data = nullptr;
    }

    UINT GetCount() const { return count; }

private:
    // Keeps block sizes in bytes within a signed 32-bit length, as the callers store them.
    static constexpr uint64_t MAX_ELEMENTS = uint64_t(0x7FFFFFFF) / sizeof(T);

    // Plain elements live in a malloc'ed block (zeroed, as their value-initialisation would), so Resize can grow
    // it where it lies.
    static constexpr bool PLAIN = std::is_trivial_v<T> && alignof(T) <= alignof(std::max_align_t);

    static T* MakeBlock(UINT n)
    {
        if constexpr (PLAIN) {
            return static_cast<T*>(std::calloc(n ? n : 1, sizeof(T)));
        } else {
            return new (std::nothrow) T[n ? n : 1]();
        }
    }
    static void DestroyBlock(T* block)
    {
        if constexpr (PLAIN) {
            std::free(block);
        } else {
            delete[] block;
        }
    }

    static void CopyElements(T* dst, const T* src, UINT n)
    {
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memmove(dst, src, size_t(n) * sizeof(T));
        } else {
            for (UINT i = 0; i < n; ++i) {
                dst[i] = src[i];
            }
        }
    }
    static void MoveElements(T* dst, T* src, UINT n)
    {
        if constexpr (std::is_trivially_copyable_v<T>) {
            if (n != 0) {
                std::memcpy(dst, src, size_t(n) * sizeof(T));
            }
        } else {
            for (UINT i = 0; i < n; ++i) {
                dst[i] = std::move(src[i]);
            }
        }
    }
};

// Arrays of pointers; the pointed-to objects belong to whoever the owner's rules name.
template <typename T> using PtrArray = GrowArray<T*>;

// Bytes: data-set rows and blobs, HTTP buffers, request texts.
class CByteBuffer : public GrowArray<BYTE> {
public:
    explicit CByteBuffer(UINT firstCapacity = 64) : GrowArray<BYTE>(firstCapacity) {}
    BOOL SetSize(UINT n) { return SetCount(n); }
    UINT GetSize() const { return count; }
};

// UTF-16 code units, for building long wide texts piece by piece.
class WideTextBuffer : public GrowArray<WCHAR> {
public:
    explicit WideTextBuffer(UINT firstCapacity = 64) : GrowArray<WCHAR>(firstCapacity) {}
};
