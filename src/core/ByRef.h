#pragma once
// An argument that a member may rewrite in the caller's variable.
//
// Several members take their arguments the way the original interface did:
// the connection values are filled in from the stored ones, a statement is
// normalised in place, key-field names become indexes. Callers pass either a
// variable, which then receives the rewritten value, or a plain value
// (a literal, a temporary), which the member works on as its own copy.
#include <type_traits>
#include <utility>

template <class T>
class ByRef {
public:
    // A variable: the member reads and rewrites it.
    ByRef(T& variable) : ptr_(&variable) {}
    // A value: the member works on its own copy.
    ByRef(const T& value) : local_(value), ptr_(&local_) {}
    ByRef(T&& value) : local_(std::move(value)), ptr_(&local_) {}
    // Anything T can be made from ("text", 0, a QString for a Variant...).
    template <class U, class = std::enable_if_t<!std::is_same_v<std::decay_t<U>, T> &&
                                                !std::is_same_v<std::decay_t<U>, ByRef> &&
                                                std::is_constructible_v<T, U&&>>>
    ByRef(U&& value) : local_(std::forward<U>(value)), ptr_(&local_) {}

    // Points either at the caller's variable or at its own copy, so it cannot move.
    ByRef(const ByRef&) = delete;
    ByRef& operator=(const ByRef&) = delete;

    T& get() const { return *ptr_; }
    T& operator*() const { return *ptr_; }
    T* operator->() const { return ptr_; }
    ByRef& operator=(const T& value) { *ptr_ = value; return *this; }
    // Hands the argument on to another member as the same variable.
    operator T&() const { return *ptr_; }

private:
    T local_{};
    T* ptr_;
};
