#pragma once
// Base of every object a Variant can hold by reference (collections, record
// sets, the system's own classes). Ownership is shared, as object references were.
#include <QString>
#include <memory>

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    // The class name used in type tests and traces ("Collection", "clsDO", ...).
    virtual QString typeName() const = 0;
};

using ObjectPtr = std::shared_ptr<Object>;
