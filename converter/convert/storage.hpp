// Large fixed arrays, set aside once for the run.  They are mapped on demand
// (pages cost nothing until a piece touches them) and asked to be backed by
// huge pages, which spares the kernel most page faults when a piece of a
// million cells is read into them.
#pragma once

#include <cstddef>
#include <new>
#include <sys/mman.h>

namespace cellplot {

template <class T>
class Storage {
public:
    explicit Storage(std::size_t count) : bytes_(count * sizeof(T))
    {
        void* p = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        ::madvise(p, bytes_, MADV_HUGEPAGE);  // advice only: fine if refused
        data_ = static_cast<T*>(p);
    }
    ~Storage() { ::munmap(data_, bytes_); }
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    T* get() const { return data_; }
    T& operator[](std::size_t i) const { return data_[i]; }

private:
    T* data_;
    std::size_t bytes_;
};

}  // namespace cellplot
