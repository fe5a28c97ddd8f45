#pragma once

// How the automation surface is described: every interface with its members in interface order, each
// member with its accessors, dispatch ID, parameters and value type. The dispatcher, the script host
// and the IDL writer all read these descriptions; nothing else lists the members.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace zav::automation {

using DispId = std::int32_t;

// The default member of an interface: the one a client reads when it names no member.
inline constexpr DispId DispIdValue = 0;

// Accessor kinds. The values are the classic dispatch flags, so a caller that means "call it or read
// it" (what late-bound clients send for `x = obj.Member`) passes Method | Get.
enum Kind : unsigned {
    NoKind = 0,
    Method = 1, // a call
    Get = 2,    // property read
    Let = 4,    // property write of a value
    Set = 8,    // property write of an object reference
};

enum class VarType : std::uint8_t {
    Empty,   // no value: a method without a result
    Bool,    // automation Boolean: true is -1
    Short,   // 16-bit signed integer
    Long,    // 32-bit signed integer
    String,  // text
    Variant, // any value, or an object reference
    Object,  // an object implementing the interface named beside the type
};

struct ParamDesc {
    std::string_view name;
    VarType type;
    // A missing optional argument takes the zero of its type (False, 0, "").
    bool optional = false;
    // Passed by reference: the callee may write the argument back.
    bool byRef = false;
};

struct MemberDesc {
    std::string_view name;
    DispId dispId;
    // The member's accessors in interface order; unused slots are NoKind. Property accessors of one
    // name share the dispatch ID.
    std::array<Kind, 3> accessors;
    // Property value, or a method's result (Empty when it returns nothing).
    VarType type;
    // The interface of an Object value ("_Class_Level"); empty otherwise.
    std::string_view objectInterface = {};
    // Method arguments, or the index arguments of an indexed property (before the written value).
    std::span<const ParamDesc> params = {};
    // Name and passing of the written value of a let or set.
    std::string_view valueName = "RHS";
    bool valueByRef = false;

    constexpr unsigned kinds() const { return accessors[0] | accessors[1] | accessors[2]; }
    constexpr bool has(Kind k) const { return (kinds() & k) != 0; }
};

struct InterfaceDesc {
    std::string_view name;    // "_ZAV_Login"
    std::string_view iid;     // "{11C7D6A9-...}"
    std::string_view coclass; // "ZAV_Login"
    std::string_view clsid;
    bool creatable; // a client may create the class
    std::span<const MemberDesc> members;
};

struct LibraryDesc {
    std::string_view name;
    std::string_view libid;
    unsigned lcid;
    unsigned short majorVersion;
    unsigned short minorVersion;
    std::span<const InterfaceDesc> interfaces;
};

} // namespace zav::automation
