// Owns a kernel object handle (event, pipe, file, thread, process, token,
// mutex) and closes it with CloseHandle when it goes or is replaced. Move only.
// Empty is null: the Win32 calls report failure with null or with
// INVALID_HANDLE_VALUE, and the latter is stored as null, so that IsValid and
// Get answer alike whichever call made the handle.
#pragma once

#include <windows.h>

namespace kestrel {

class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE owned) : handle(Normal(owned)) {}
    ~CHandle() { Reset(); }

    CHandle(CHandle&& other) noexcept : handle(other.Release()) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    HANDLE Get() const { return handle; }
    bool IsValid() const { return handle != nullptr; }
    // Closes the handle held, then holds this one.
    void Reset(HANDLE other = nullptr) {
        const HANDLE old = handle;
        handle = Normal(other);
        if (old) ::CloseHandle(old);
    }
    // Gives the handle up without closing it; the caller closes it.
    HANDLE Release() {
        const HANDLE released = handle;
        handle = nullptr;
        return released;
    }

private:
    static HANDLE Normal(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

    HANDLE handle = nullptr;
};

}  // namespace kestrel
