// The class table as data: one row per creatable class (identifier, name, factory kind, categories, constructor,
// threading model). A subsystem writes its rows with Row<Class>() and the module gathers them into its table; a
// class that is known by identity but not yet built is a Pending row with a null constructor.
#pragma once

#include "platform/Object.h"
#include "tavi/Categories.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace tavi {

enum class FactoryKind : int32_t {
    Plain = 0,     // ClassFactory: a new object on every request
    Singleton = 1, // SingletonClassFactory: one object per calling thread
};
inline constexpr FactoryKind kPlain = FactoryKind::Plain;
inline constexpr FactoryKind kSingleton = FactoryKind::Singleton;

enum class ThreadingModel : int32_t { Apartment = 0, Free = 1, Both = 2 };

inline constexpr int kMaxClassCategories = 5;

// Makes a new object standing alone, holding its one construction reference. May throw (std::bad_alloc or
// whatever the class's constructor throws); the factories turn that into a result code.
using Constructor = Unknown* (*)();

template <class T> Unknown* Construct() {
    return new T();
}

struct ClassEntry {
    CLSID classId{};
    const char16_t* name = nullptr;
    FactoryKind factory = FactoryKind::Plain;
    // Categories of the class's own, beside the programmable-component category every class has. Unused: null.
    std::array<const CATID*, kMaxClassCategories> categories{};
    // Null while the class is not yet provided: the library can name it but not create it.
    Constructor construct = nullptr;
    ThreadingModel threadingModel = ThreadingModel::Apartment;
    // The class's interface rows in lookup order (null while the class is not yet provided).
    std::span<const InterfaceRow> (*interfaceRows)() = nullptr;

    constexpr bool Provided() const { return construct != nullptr; }
    constexpr int CategoryCount() const {
        int count = 0;
        for (const CATID* category : categories)
            count += category != nullptr;
        return count;
    }
};

namespace detail {
constexpr std::array<const CATID*, kMaxClassCategories> CategoryArray(std::initializer_list<const CATID*> list) {
    std::array<const CATID*, kMaxClassCategories> result{};
    size_t i = 0;
    for (const CATID* category : list)
        if (i < result.size())
            result[i++] = category;
    return result;
}
} // namespace detail

// A row for a class known only by identity: listed, never created, skipped by registration.
constexpr ClassEntry Pending(const char16_t* name, const CLSID& classId, FactoryKind kind = kPlain,
                             std::initializer_list<const CATID*> categories = {}) {
    return ClassEntry{classId, name, kind, detail::CategoryArray(categories), nullptr, ThreadingModel::Apartment,
                      nullptr};
}

// A row for a class that exists: identity from the class's kClassId and kClassName. `name` overrides the table name
// where the row is named differently from the class it creates.
template <class T>
constexpr ClassEntry Row(FactoryKind kind = kPlain, std::initializer_list<const CATID*> categories = {}) {
    return ClassEntry{T::kClassId,
                      T::kClassName,
                      kind,
                      detail::CategoryArray(categories),
                      &Construct<T>,
                      ThreadingModel::Apartment,
                      &T::InterfaceRows};
}
template <class T>
constexpr ClassEntry Row(const char16_t* name, FactoryKind kind = kPlain,
                         std::initializer_list<const CATID*> categories = {}) {
    ClassEntry entry = Row<T>(kind, categories);
    entry.name = name;
    return entry;
}

} // namespace tavi
