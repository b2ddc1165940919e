#pragma once

namespace win {

// Owns one resource of the kind Traits describes and releases it once. Traits
// gives the type, its empty value, which values hold a resource and how one is
// released (true when the system accepted it). Owners are not copied: two
// owners of one resource would release it twice.
template <class Traits> class Owner {
public:
    using Type = typename Traits::Type;

    Owner() = default;
    explicit Owner(Type value) : m_value(value) {}
    ~Owner() { Reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

    Type Get() const { return m_value; }
    bool IsValid() const { return Traits::IsValid(m_value); }
    explicit operator bool() const { return IsValid(); }

    void Reset(Type value = Traits::kEmpty) {
        if (IsValid())
            Traits::Release(m_value);
        m_value = value;
    }

    // Releases the resource and tells whether the system accepted it; a file
    // written through a handle may report a late write error only here.
    bool Close() {
        const bool ok = IsValid() && Traits::Release(m_value);
        m_value = Traits::kEmpty;
        return ok;
    }

private:
    Type m_value = Traits::kEmpty;
};

// Traits of a handle type whose empty value is null.
template <class T> struct NullIsEmpty {
    using Type = T;
    static constexpr T kEmpty = nullptr;
    static bool IsValid(T value) { return value != nullptr; }
};

} // namespace win
