// The one move-only owner of everything the program creates and must give
// back: kernel handles, GDI objects, device contexts, global memory, COM
// interfaces, GDI+ objects. Shaped like std::unique_ptr with a deleter: the
// Release type says how a handle of its kind goes back to the system, and
// reports whether the system took it.
#pragma once

#include <type_traits>
#include <utility>

namespace owner_detail {

// A release may name a second "no handle" value besides the null one (a
// kernel handle's INVALID_HANDLE_VALUE) through a static isEmpty(handle).
template <typename Release, typename Handle, typename = void>
struct HasEmptyTest : std::false_type {};

template <typename Release, typename Handle>
struct HasEmptyTest<Release, Handle,
                    std::void_t<decltype(Release::isEmpty(std::declval<Handle>()))>>
    : std::true_type {};

}  // namespace owner_detail

template <typename Handle, typename Release>
class UniqueOwner {
public:
    using pointer = Handle;
    using release_type = Release;

    UniqueOwner() = default;
    // Takes a handle as its creation function returned it; a release that
    // needs to know more (the window a DC belongs to) is passed along.
    explicit UniqueOwner(Handle handle, Release release = Release()) noexcept
        : handle_(adopted(handle)), release_(std::move(release)) {}
    ~UniqueOwner() { reset(); }

    UniqueOwner(UniqueOwner&& other) noexcept
        : handle_(std::exchange(other.handle_, Handle{})), release_(std::move(other.release_)) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Handle{});
            release_ = std::move(other.release_);
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Handle{}; }

    // Releases the handle held (if any) and takes the given one.
    void reset(Handle handle = Handle{}) noexcept {
        const Handle old = std::exchange(handle_, adopted(handle));
        if (old != Handle{}) release_(old);
    }

    // Releases now and reports whether the system accepted it; an empty
    // owner has nothing to release and reports success.
    bool close() noexcept {
        const Handle old = std::exchange(handle_, Handle{});
        if (old == Handle{}) return true;
        return static_cast<bool>(release_(old));
    }

    // Gives the handle up without releasing it.
    [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Handle{}); }

    // The slot for a creation function that returns its handle through a
    // pointer (the GDI+ and COM style); whatever was held is released first.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

private:
    static Handle adopted(Handle handle) noexcept {
        if constexpr (owner_detail::HasEmptyTest<Release, Handle>::value) {
            if (Release::isEmpty(handle)) return Handle{};
        }
        return handle;
    }

    Handle handle_ = Handle{};
    Release release_ = Release();
};
