#pragma once
// A reference to a COM object: released when the pointer ends, is reset or receives
// another object. Assigning a raw pointer adds a reference (the caller keeps its own);
// an out-parameter filled through Receive() hands its reference over without adding one.
#include <unknwn.h>

#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(T* object) noexcept : m_object(object) {
        if (m_object)
            m_object->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.m_object) {}
    ComPtr(ComPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ~ComPtr() { Release(); }

    ComPtr& operator=(T* object) noexcept {
        if (object)
            object->AddRef();
        Release();
        m_object = object;
        return *this;
    }
    ComPtr& operator=(const ComPtr& other) noexcept { return *this = other.m_object; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Release();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }

    T* Get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }

    // Releases the object held and gives the address an out-parameter fills.
    T** Receive() noexcept {
        Release();
        return &m_object;
    }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }
    // Hands the reference to the caller.
    T* Detach() noexcept { return std::exchange(m_object, nullptr); }
    void Release() noexcept {
        if (T* object = std::exchange(m_object, nullptr))
            object->Release();
    }

    // The same object's interface U (its IID from __uuidof); null when it has none.
    template <class U>
    HRESULT QueryInterface(ComPtr<U>& other) const noexcept {
        if (!m_object) {
            other.Release();
            return E_POINTER;
        }
        return m_object->QueryInterface(__uuidof(U), other.ReceiveVoid());
    }

private:
    T* m_object = nullptr;
};
