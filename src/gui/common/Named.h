#pragma once

// Controls carry their object names: tests and style sheets find them by name.

#include <QString>
#include <utility>

namespace orvane {

// A new Qt object with its object name; its parent, among `args`, owns it.
template <typename Object, typename... Args>
Object* Named(const QString& name, Args&&... args) {
    auto* object = new Object(std::forward<Args>(args)...);
    object->setObjectName(name);
    return object;
}

// `object`, given its object name.
template <typename Object>
Object* Named(Object* object, const QString& name) {
    object->setObjectName(name);
    return object;
}

}  // namespace orvane
