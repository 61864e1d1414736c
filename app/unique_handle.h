// A move-only owner of a kernel handle (file, mutex, ...), closed once.
#pragma once

#include <windows.h>

#include <utility>

class UniqueHandle {
public:
    UniqueHandle() = default;
    // Takes a handle as CreateFile and friends return it; both "no handle"
    // values (null and INVALID_HANDLE_VALUE) count as empty.
    explicit UniqueHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Closes now and reports whether the close succeeded.
    bool close() {
        const bool closed = handle_ == nullptr || CloseHandle(handle_) != FALSE;
        handle_ = nullptr;
        return closed;
    }

private:
    void reset() { close(); }

    HANDLE handle_ = nullptr;
};
