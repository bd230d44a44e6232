#pragma once
// Base of the classes that fill a value they do not own: the owner keeps the value, the
// filler keeps a pointer to it for as long as it works on it.

namespace Data {

template <class T>
class Target {
public:
    explicit Target(T& target) : target(&target) {}
    virtual ~Target() = default;

    T& GetTarget() const { return *target; }

protected:
    T* target;
};

}  // namespace Data
