// Owns a Win32 handle and lets it go through Traits::Close when it goes or is
// replaced. Move only. Traits gives the handle type (Type) and Close; empty is
// null, and Traits::Normal maps a stored handle that is a call's failure value
// to null, whether it came in through the constructor, Reset or Put.
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
    explicit TOwnedHandle(Type owned) : handle(owned) {}
    ~TOwnedHandle() { Reset(); }

    TOwnedHandle(TOwnedHandle&& other) noexcept : handle(other.Release()) {}
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    Type Get() const { return Traits::Normal(handle); }
    bool IsValid() const { return Get() != nullptr; }
    // Lets go of the handle held, then holds this one.
    void Reset(Type other = nullptr) {
        const Type old = Get();
        handle = other;
        if (old) Traits::Close(old);
    }
    // Lets go of the handle held and gives the place of the next one, for a
    // call that hands its handle out through a pointer:
    // ::OpenProcessToken(process, access, token.Put()).
    Type* Put() {
        Reset();
        return &handle;
    }
    // Gives the handle up without letting it go; the caller owns it then.
    Type Release() {
        const Type released = Get();
        handle = nullptr;
        return released;
    }

private:
    Type handle = nullptr;
};

}  // namespace kestrel
