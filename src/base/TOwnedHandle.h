// Owns a Win32 handle and lets it go through Traits::Close when it goes or is
// replaced. Move only. Traits gives the handle type (Type) and Close; empty is
// null, and Traits::Normal maps a handle to store (the failure value of the
// call that made it) to null.
#pragma once

namespace kestrel {

// Traits of a handle that the system's call reports as null on failure and
// that one function lets go.
template <class T, auto CloseFunction>
struct TPlainHandleTraits {
    using Type = T;
    static T Normal(T handle) { return handle; }
    static void Close(T handle) { CloseFunction(handle); }
};

template <class Traits>
class TOwnedHandle {
public:
    using Type = typename Traits::Type;

    TOwnedHandle() = default;
    explicit TOwnedHandle(Type owned) : handle(Traits::Normal(owned)) {}
    ~TOwnedHandle() { Reset(); }

    TOwnedHandle(TOwnedHandle&& other) noexcept : handle(other.Release()) {}
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    Type Get() const { return handle; }
    bool IsValid() const { return handle != nullptr; }
    // Lets go of the handle held, then holds this one.
    void Reset(Type other = nullptr) {
        const Type old = handle;
        handle = Traits::Normal(other);
        if (old) Traits::Close(old);
    }
    // Gives the handle up without letting it go; the caller owns it then.
    Type Release() {
        const Type released = handle;
        handle = nullptr;
        return released;
    }

private:
    Type handle = nullptr;
};

}  // namespace kestrel
