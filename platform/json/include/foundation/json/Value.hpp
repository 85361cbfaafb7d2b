#pragma once

#include <foundation/json/Export.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace foundation::json {

struct Undefined {};
struct Null {};

class Value;
class Object;
using Array = std::vector<Value>;

/// The ten kinds a Value holds, in this order.
enum class Kind : std::uint8_t { Undefined, Null, Bool, Double, String, Array, Object, Float, Int64, UInt64 };

/// Display name of each kind's type, used in conversion errors.
template <class T>
struct traits;
// One line a kind: the table reads as one.
// clang-format off
template <> struct traits<Undefined> { static constexpr char const* name = "undefined"; };
template <> struct traits<Null> { static constexpr char const* name = "null"; };
template <> struct traits<bool> { static constexpr char const* name = "bool"; };
template <> struct traits<double> { static constexpr char const* name = "double"; };
template <> struct traits<std::string> { static constexpr char const* name = "string"; };
template <> struct traits<Array> { static constexpr char const* name = "array"; };
template <> struct traits<Object> { static constexpr char const* name = "object"; };
template <> struct traits<float> { static constexpr char const* name = "float"; };
template <> struct traits<long long> { static constexpr char const* name = "int64"; };
template <> struct traits<unsigned long long> { static constexpr char const* name = "uint64"; };
// clang-format on

RICHMARKUP_JSON_EXPORT char const* kindName(Kind kind) noexcept;

namespace detail {
struct StringRep;
struct ArrayRep;
struct ObjectRep;
struct ValueAccess;
} // namespace detail

/// One JSON element. Strings, arrays and objects are immutable and shared: copying a
/// Value copies a handle (one atomic count step), never the subtree, so values can be
/// passed around and kept freely, also across threads. A handle to any part of a parsed
/// tree keeps the whole tree.
class RICHMARKUP_JSON_EXPORT Value {
public:
    Value() noexcept : kind_(Kind::Undefined) { u_.u = 0; }
    Value(Undefined) noexcept : Value() {}
    Value(Null) noexcept : kind_(Kind::Null) { u_.u = 0; }
    Value(bool b) noexcept : kind_(Kind::Bool) {
        u_.u = 0;
        u_.b = b;
    }
    Value(double d) noexcept : kind_(Kind::Double) { u_.d = d; }
    Value(float f) noexcept : kind_(Kind::Float) {
        u_.u = 0;
        u_.f = f;
    }
    Value(int i) noexcept : kind_(Kind::Int64) { u_.i = i; }
    Value(long i) noexcept : kind_(Kind::Int64) { u_.i = i; }
    Value(long long i) noexcept : kind_(Kind::Int64) { u_.i = i; }
    Value(unsigned long long u) noexcept : kind_(Kind::UInt64) { u_.u = u; }
    Value(std::string s);
    Value(std::string_view s);
    Value(char const* s);
    Value(Array a);
    Value(Object o);

    Value(Value const& other) noexcept : kind_(other.kind_), u_(other.u_) {
        if (shared()) {
            retain();
        }
    }
    Value(Value&& other) noexcept : kind_(other.kind_), borrowed_(other.borrowed_), u_(other.u_) {
        other.kind_ = Kind::Undefined;
        other.borrowed_ = false;
        other.u_.u = 0;
    }
    Value& operator=(Value const& other) noexcept {
        Value copy(other);
        swap(copy);
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        Value moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~Value() {
        if (shared() && !borrowed_) { // scalars, moved-from and borrowed values need no call
            release();
        }
    }
    void swap(Value& other) noexcept {
        std::swap(kind_, other.kind_);
        std::swap(borrowed_, other.borrowed_);
        std::swap(u_, other.u_);
    }

    Kind kind() const noexcept { return kind_; }
    char const* kindName() const noexcept { return json::kindName(kind_); }

    bool isUndefined() const noexcept { return kind_ == Kind::Undefined; }
    bool isNull() const noexcept { return kind_ == Kind::Null; }
    bool isBool() const noexcept { return kind_ == Kind::Bool; }
    bool isDouble() const noexcept { return kind_ == Kind::Double; }
    bool isString() const noexcept { return kind_ == Kind::String; }
    bool isArray() const noexcept { return kind_ == Kind::Array; }
    bool isObject() const noexcept { return kind_ == Kind::Object; }
    bool isFloat() const noexcept { return kind_ == Kind::Float; }
    bool isInt64() const noexcept { return kind_ == Kind::Int64; }
    bool isUInt64() const noexcept { return kind_ == Kind::UInt64; }
    template <class T>
    bool is() const noexcept {
        return kind_ == kindOf<T>();
    }

    /// Strict reads: only the exact kind is accepted, with no conversion between numbers.
    /// Any other kind throws std::runtime_error("invalid conversion: <held> to <wanted>").
    bool asBool() const { return check(Kind::Bool), u_.b; }
    double asDouble() const { return check(Kind::Double), u_.d; }
    float asFloat() const { return check(Kind::Float), u_.f; }
    long long asInt64() const { return check(Kind::Int64), u_.i; }
    unsigned long long asUInt64() const { return check(Kind::UInt64), u_.u; }
    std::string const& asString() const;
    Array const& asArray() const;
    Object const& asObject() const;

    template <class T>
    decltype(auto) get() const {
        if constexpr (std::is_same_v<T, bool>)
            return asBool();
        else if constexpr (std::is_same_v<T, double>)
            return asDouble();
        else if constexpr (std::is_same_v<T, float>)
            return asFloat();
        else if constexpr (std::is_same_v<T, long long>)
            return asInt64();
        else if constexpr (std::is_same_v<T, unsigned long long>)
            return asUInt64();
        else if constexpr (std::is_same_v<T, std::string>)
            return asString();
        else if constexpr (std::is_same_v<T, Array>)
            return asArray();
        else if constexpr (std::is_same_v<T, Object>)
            return asObject();
        else
            static_assert(sizeof(T) == 0, "not a JSON value type");
    }

    /// The member of that key; a missing key, or a value that is no object, gives undefined.
    Value const& operator[](std::string_view key) const noexcept;
    // Inline, so that a literal key's length is known where it is written.
    Value const& operator[](char const* key) const noexcept { return (*this)[std::string_view(key)]; }
    Value const& operator[](std::string const& key) const noexcept { return (*this)[std::string_view(key)]; }
    bool hasOwnProperty(std::string const& key) const noexcept;
    bool hasOwnProperty(std::string_view key) const noexcept;
    bool hasOwnProperty(char const* key) const noexcept { return hasOwnProperty(std::string_view(key)); }
    /// Elements of an array or members of an object; 0 for every other kind.
    std::size_t size() const noexcept;

    /// Whether the text this value's tree was parsed from wrote something that the tree does not
    /// show: a key twice in one object, or a number too small for a double (held as 0). Only
    /// then can the two calls below find anything. False for values not made by the parser.
    bool hasTextNotes() const noexcept;
    /// Of an object: the keys its text gave more than once (the object keeps the last value).
    std::vector<std::string_view> duplicateKeys() const;
    /// `number`, an entry or member somewhere in this value's tree that the tree holds as 0 while
    /// the text wrote a number too small for a double: that number as written; else empty.
    std::string_view writtenAs(Value const& number) const;

    friend RICHMARKUP_JSON_EXPORT bool operator==(Value const& a, Value const& b) noexcept;
    friend bool operator!=(Value const& a, Value const& b) noexcept { return !(a == b); }

    template <class T>
    static constexpr Kind kindOf() noexcept {
        if constexpr (std::is_same_v<T, Undefined>)
            return Kind::Undefined;
        else if constexpr (std::is_same_v<T, Null>)
            return Kind::Null;
        else if constexpr (std::is_same_v<T, bool>)
            return Kind::Bool;
        else if constexpr (std::is_same_v<T, double>)
            return Kind::Double;
        else if constexpr (std::is_same_v<T, std::string>)
            return Kind::String;
        else if constexpr (std::is_same_v<T, Array>)
            return Kind::Array;
        else if constexpr (std::is_same_v<T, Object>)
            return Kind::Object;
        else if constexpr (std::is_same_v<T, float>)
            return Kind::Float;
        else if constexpr (std::is_same_v<T, long long>)
            return Kind::Int64;
        else if constexpr (std::is_same_v<T, unsigned long long>)
            return Kind::UInt64;
        else
            static_assert(sizeof(T) == 0, "not a JSON value type");
    }

private:
    friend struct detail::ValueAccess;
    Value(Kind kind, void* rep, bool borrowed) noexcept : kind_(kind), borrowed_(borrowed) { u_.p = rep; }

    void check(Kind wanted) const {
        if (kind_ != wanted) {
            throwConversion(wanted);
        }
    }
    [[noreturn]] void throwConversion(Kind wanted) const;
    bool shared() const noexcept { return kind_ == Kind::String || kind_ == Kind::Array || kind_ == Kind::Object; }
    // Only for the shared kinds: string, array, object.
    void retain() const noexcept;
    void release() noexcept;

    Kind kind_;
    // A Value inside a parsed tree holds no count: the tree's arena owns its payload. Every
    // copy, of such a Value too, is an owning handle.
    bool borrowed_ = false;
    union Payload {
        bool b;
        double d;
        float f;
        long long i;
        unsigned long long u;
        detail::StringRep* s;
        detail::ArrayRep* a;
        detail::ObjectRep* o;
        void* p;
    } u_;
};

} // namespace foundation::json

#include <foundation/json/Object.hpp>
