#pragma once

// How each described member reaches the C++ object: one accessor function per member and kind, keyed
// by the member's name, and per class the way to share and to create its objects. The dispatcher has
// checked and converted the arguments before an accessor runs.

#include "automation/AutomationTypes.h"

#include <QObject>
#include <QVariant>
#include <memory>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>

namespace zav::automation {

// Runs one accessor; the arguments are in order, the written value of a let or set last.
using Accessor = QVariant (*)(QObject& self, QVariantList& args);

struct Binding {
    std::string_view member;
    Kind kind;
    Accessor run;
};

struct ClassBinding {
    std::string_view interfaceName;
    const QMetaObject* metaObject;
    std::span<const Binding> accessors;
    // Shared ownership of an object of the class (nullptr when no shared owner exists).
    std::shared_ptr<QObject> (*share)(QObject& object);
    // A new object, for the creatable classes; nullptr otherwise.
    std::shared_ptr<QObject> (*create)();
};

// Every class of the library.
std::span<const ClassBinding* const> ClassBindings();
// The bindings of each class, defined beside the classes they serve.
const ClassBinding& LoginClassBinding();
const ClassBinding& LevelClassBinding();
const ClassBinding& OperatorClassBinding();
const ClassBinding& LevelEnableClassBinding();
const ClassBinding& LanguageClassBinding();

// Shared ownership of one of this library's objects; nullptr for null or any other object.
std::shared_ptr<QObject> ShareObject(QObject* object);

namespace binding {

template <typename F> struct MemberTraits;
template <typename R, typename T, typename... A> struct MemberTraits<R (T::*)(A...)> {
    using Class = T;
    using Result = R;
    using Args = std::tuple<std::remove_cvref_t<A>...>;
};
template <typename R, typename T, typename... A>
struct MemberTraits<R (T::*)(A...) const> : MemberTraits<R (T::*)(A...)> {};

template <typename T> struct IsSharedPtr : std::false_type {};
template <typename T> struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {};

template <typename T> T fromVariant(const QVariant& value) {
    if constexpr (std::is_same_v<T, QVariant>) {
        return value;
    } else if constexpr (IsSharedPtr<T>::value) {
        using Object = typename T::element_type;
        auto* object = qobject_cast<Object*>(qvariant_cast<QObject*>(value));
        if constexpr (std::is_same_v<Object, QObject>) {
            return ShareObject(object);
        } else {
            return object ? object->weak_from_this().lock() : nullptr;
        }
    } else {
        return qvariant_cast<T>(value);
    }
}

template <typename T> QVariant toVariant(const T& value) {
    if constexpr (IsSharedPtr<T>::value) {
        return QVariant::fromValue(static_cast<QObject*>(value.get()));
    } else {
        return QVariant::fromValue(value);
    }
}

// An accessor that calls the member function F with the arguments converted to its parameter types.
template <auto F> QVariant call(QObject& self, QVariantList& args) {
    using Traits = MemberTraits<decltype(F)>;
    using Args = typename Traits::Args;
    auto& object = static_cast<typename Traits::Class&>(self);
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        if constexpr (std::is_void_v<typename Traits::Result>) {
            (object.*F)(fromVariant<std::tuple_element_t<I, Args>>(args.at(I))...);
            return QVariant();
        } else {
            return toVariant((object.*F)(fromVariant<std::tuple_element_t<I, Args>>(args.at(I))...));
        }
    }
    (std::make_index_sequence<std::tuple_size_v<Args>>{});
}

template <typename T> std::shared_ptr<QObject> share(QObject& object) {
    return static_cast<T&>(object).weak_from_this().lock();
}

template <typename T> std::shared_ptr<QObject> create() {
    return T::create();
}

} // namespace binding
} // namespace zav::automation
