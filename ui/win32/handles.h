// Owners of the Win32 handles the face creates: each releases its handle once, none is copied.
#pragma once

#include <windows.h>

#include <utility>

namespace routerdesk::win32 {

template <typename Traits>
class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, Handle{}));
        }
        return *this;
    }

    void reset(Handle handle = Handle{}) {
        if (handle_ != Handle{}) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

    // Gives up ownership, for a handle whose owner goes away by other means.
    Handle release() { return std::exchange(handle_, Handle{}); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }

  private:
    Handle handle_{};
};

struct WindowTraits {
    using Handle = HWND;
    static void close(HWND window) { DestroyWindow(window); }
};

template <typename GdiObject>
struct GdiTraits {
    using Handle = GdiObject;
    static void close(GdiObject object) { DeleteObject(object); }
};

// For kernel objects whose "no handle" value is null (events, threads), not INVALID_HANDLE_VALUE.
struct KernelTraits {
    using Handle = HANDLE;
    static void close(HANDLE handle) { CloseHandle(handle); }
};

using WindowHandle = UniqueHandle<WindowTraits>;
using FontHandle = UniqueHandle<GdiTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiTraits<HBRUSH>>;
using EventHandle = UniqueHandle<KernelTraits>;

}  // namespace routerdesk::win32
