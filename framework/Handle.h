// Move-only ownership of Win32 handles.
#pragma once

#include <windows.h>

#include <utility>

namespace pw {

// Owns one handle and releases it with Traits::Close. Traits::Invalid() is the
// "no handle" value (null for most handles, INVALID_HANDLE_VALUE for files).
template <class Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type h) : m_h(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Type Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    Type Detach() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(Type h = Traits::Invalid()) {
        if (m_h != Traits::Invalid())
            Traits::Close(m_h);
        m_h = h;
    }

private:
    Type m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyMenu(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;

// Owns a COM interface pointer.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For functions that hand out a new reference through an out-pointer.
    T** Receive() {
        Reset();
        return &m_p;
    }
    void Reset() {
        if (m_p)
            std::exchange(m_p, nullptr)->Release();
    }

private:
    T* m_p = nullptr;
};

} // namespace pw
