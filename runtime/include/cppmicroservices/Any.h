#ifndef CPPMICROSERVICES_ANY_H
#define CPPMICROSERVICES_ANY_H

#include "cppmicroservices/FrameworkConfig.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace cppmicroservices {

class Any;

namespace any::detail {

template <class T, class = void>
struct is_streamable : std::false_type
{};
template <class T>
struct is_streamable<T, std::void_t<decltype(std::declval<std::ostream&>() << std::declval<T const&>())>>
    : std::true_type
{};

template <class T, class = void>
struct has_op_eq : std::false_type
{};
template <class T>
struct has_op_eq<T, std::void_t<decltype(bool(std::declval<T const&>() == std::declval<T const&>()))>> : std::true_type
{};

/// Values without operator== never compare equal (an Any must still hold them).
template <class T>
bool compare(T const& lhs, T const& rhs)
{
  if constexpr (has_op_eq<T>::value) {
    return lhs == rhs;
  } else {
    (void)lhs;
    (void)rhs;
    return false;
  }
}

} // namespace any::detail

/// Writes a newline and `indent` spaces when pretty printing (increment > 0).
US_Framework_EXPORT std::ostream& newline_and_indent(std::ostream& os, uint8_t const increment, int32_t const indent);

US_Framework_EXPORT std::ostream& any_value_to_string(std::ostream& os, Any const& any);
US_Framework_EXPORT std::ostream& any_value_to_string(std::ostream& os, bool val);
US_Framework_EXPORT std::ostream& any_value_to_string(std::ostream& os, float val);
US_Framework_EXPORT std::ostream& any_value_to_string(std::ostream& os, double val);

US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, Any const& val, uint8_t const increment = 0,
                                                    int32_t const indent = 0);
US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, std::string const& val,
                                                    uint8_t const increment = 0, int32_t const indent = 0);
US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, char const* val, uint8_t const increment = 0,
                                                    int32_t const indent = 0);
US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, bool val, uint8_t const increment = 0,
                                                    int32_t const indent = 0);
US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, float val, uint8_t const increment = 0,
                                                    int32_t const indent = 0);
US_Framework_EXPORT std::ostream& any_value_to_json(std::ostream& os, double val, uint8_t const increment = 0,
                                                    int32_t const indent = 0);

namespace detail {
/// Demangled name of a type (e.g. "std::string" rather than a mangled symbol).
US_Framework_EXPORT std::string GetDemangledName(std::type_info const& typeInfo);

/// Stand-in text for a value that has no stream operator.
US_Framework_EXPORT std::ostream& WriteUnprintable(std::ostream& os, std::type_info const& type);
} // namespace detail

/// Fallback for every value type: its stream operator if it has one.
template <class T>
std::ostream& any_value_to_string(std::ostream& os, T const& val)
{
  if constexpr (any::detail::is_streamable<T>::value) {
    os << val;
  } else {
    detail::WriteUnprintable(os, typeid(T));
  }
  return os;
}

/// Fallback for JSON: numbers and other streamable values are written as they stream;
/// anything else becomes null so that the output stays valid JSON.
template <class T>
std::ostream& any_value_to_json(std::ostream& os, T const& val, uint8_t const = 0, int32_t const = 0)
{
  if constexpr (std::is_arithmetic_v<T>) {
    os << val;
  } else if constexpr (any::detail::is_streamable<T>::value) {
    std::ostringstream text;
    text << val;
    any_value_to_json(os, text.str());
  } else {
    os << "null";
  }
  return os;
}

template <typename Iterator>
std::ostream& container_to_string(std::ostream& os, Iterator first, Iterator last)
{
  os << "[";
  for (Iterator it = first; it != last; ++it) {
    if (it != first) {
      os << ",";
    }
    any_value_to_string(os, *it);
  }
  return os << "]";
}

template <typename Iterator>
std::ostream& container_to_json(std::ostream& os, Iterator first, Iterator last, uint8_t const increment = 0,
                                int32_t const indent = 0)
{
  if (first == last) {
    return os << "[]";
  }
  os << "[";
  for (Iterator it = first; it != last; ++it) {
    if (it != first) {
      os << ",";
    }
    newline_and_indent(os, increment, indent);
    any_value_to_json(os, *it, increment, indent + increment);
  }
  newline_and_indent(os, increment, indent - increment);
  return os << "]";
}

template <class E>
std::ostream& any_value_to_string(std::ostream& os, std::vector<E> const& v)
{
  return container_to_string(os, v.begin(), v.end());
}
template <class E>
std::ostream& any_value_to_string(std::ostream& os, std::list<E> const& l)
{
  return container_to_string(os, l.begin(), l.end());
}
template <class E>
std::ostream& any_value_to_string(std::ostream& os, std::set<E> const& s)
{
  return container_to_string(os, s.begin(), s.end());
}
template <class E>
std::ostream& any_value_to_json(std::ostream& os, std::vector<E> const& v, uint8_t const increment = 0,
                                int32_t const indent = 0)
{
  return container_to_json(os, v.begin(), v.end(), increment, indent);
}
template <class E>
std::ostream& any_value_to_json(std::ostream& os, std::list<E> const& l, uint8_t const increment = 0,
                                int32_t const indent = 0)
{
  return container_to_json(os, l.begin(), l.end(), increment, indent);
}
template <class E>
std::ostream& any_value_to_json(std::ostream& os, std::set<E> const& s, uint8_t const increment = 0,
                                int32_t const indent = 0)
{
  return container_to_json(os, s.begin(), s.end(), increment, indent);
}

template <class K, class V>
std::ostream& any_value_to_string(std::ostream& os, std::map<K, V> const& m)
{
  os << "{";
  for (auto it = m.begin(); it != m.end(); ++it) {
    if (it != m.begin()) {
      os << ", ";
    }
    any_value_to_string(os, it->first);
    os << " : ";
    any_value_to_string(os, it->second);
  }
  return os << "}";
}

template <class K, class V>
std::ostream& any_value_to_json(std::ostream& os, std::map<K, V> const& m, uint8_t const increment = 0,
                                int32_t const indent = 0)
{
  if (m.empty()) {
    return os << "{}";
  }
  os << "{";
  for (auto it = m.begin(); it != m.end(); ++it) {
    if (it != m.begin()) {
      os << ",";
    }
    newline_and_indent(os, increment, indent);
    std::ostringstream key;
    any_value_to_string(key, it->first);
    any_value_to_json(os, key.str());
    os << " : ";
    any_value_to_json(os, it->second, increment, indent + increment);
  }
  newline_and_indent(os, increment, indent - increment);
  return os << "}";
}

template <typename ValueType>
ValueType* any_cast(Any* operand);

/**
 * A type-erased value: holds one value of any copyable type and hands it back only as
 * that exact type (any_cast / ref_any_cast).
 */
class US_Framework_EXPORT Any
{
public:
  Any() noexcept = default;

  template <typename ValueType>
  Any(ValueType const& value) : _content(new Holder<ValueType>(value))
  {}

  template <typename ValueType, typename = std::enable_if_t<!std::is_same_v<Any, std::decay_t<ValueType>> &&
                                                            !std::is_reference_v<ValueType>>>
  Any(ValueType&& value) : _content(new Holder<std::decay_t<ValueType>>(std::forward<ValueType>(value)))
  {}

  Any(Any const& other) : _content(other._content ? other._content->Clone() : nullptr) {}
  Any(Any&& other) noexcept : _content(std::move(other._content)) {}
  ~Any() = default;

  Any& Swap(Any& rhs) noexcept
  {
    std::swap(_content, rhs._content);
    return *this;
  }

  /// True when this holds a value of exactly ValueType that compares equal to val.
  template <typename ValueType>
  bool operator==(ValueType const& val) const
  {
    if (Type() != typeid(ValueType)) {
      return false;
    }
    return any::detail::compare(*any_cast<ValueType>(const_cast<Any*>(this)), val);
  }

  /// Two empty Anys are equal; otherwise both must hold the same type and equal values.
  bool operator==(Any const& rhs) const
  {
    if (!_content || !rhs._content) {
      return !_content && !rhs._content;
    }
    return rhs._content->EqualTo(*this);
  }

  template <typename ValueType>
  bool operator!=(ValueType const& val) const
  {
    return !operator==(val);
  }

  template <typename ValueType>
  Any& operator=(ValueType const& rhs)
  {
    Any(rhs).Swap(*this);
    return *this;
  }

  template <typename ValueType, typename = std::enable_if_t<!std::is_same_v<Any, std::decay_t<ValueType>> &&
                                                            !std::is_reference_v<ValueType>>>
  Any& operator=(ValueType&& rhs)
  {
    _content.reset(new Holder<std::decay_t<ValueType>>(std::forward<ValueType>(rhs)));
    return *this;
  }

  Any& operator=(Any const& rhs)
  {
    Any(rhs).Swap(*this);
    return *this;
  }

  Any& operator=(Any&& rhs) noexcept
  {
    _content = std::move(rhs._content);
    return *this;
  }

  bool Empty() const noexcept { return !_content; }

  /// Text of the held value. \throws std::logic_error if the Any is empty.
  std::string ToString() const;

  /// Text of the held value, or "" when empty.
  std::string ToStringNoExcept() const;

  /// JSON text of the held value ("null" when empty); increment > 0 pretty prints.
  std::string ToJSON(uint8_t const increment, int32_t const indent) const
  {
    return Empty() ? std::string("null") : _content->ToJSON(increment, indent);
  }
  std::string ToJSON(bool prettyPrint = false) const
  {
    uint8_t const increment = prettyPrint ? 4 : 0;
    return ToJSON(increment, increment);
  }

  /// Type of the held value; typeid(void) when empty.
  std::type_info const& Type() const noexcept { return _content ? _content->Type() : typeid(void); }

private:
  class Placeholder
  {
  public:
    virtual ~Placeholder() = default;
    virtual std::string ToString() const = 0;
    virtual std::string ToJSON(uint8_t const increment, int32_t const indent) const = 0;
    virtual std::type_info const& Type() const noexcept = 0;
    virtual std::unique_ptr<Placeholder> Clone() const = 0;
    virtual bool EqualTo(Any const& other) const = 0;
  };

  template <typename ValueType>
  class Holder final : public Placeholder
  {
    static_assert(!std::is_array_v<ValueType>,
                  "An Any cannot hold a C array; store a std::string (or std::vector) instead");

  public:
    explicit Holder(ValueType const& value) : _held(value) {}
    explicit Holder(ValueType&& value) : _held(std::move(value)) {}
    Holder& operator=(Holder const&) = delete;

    std::string ToString() const override
    {
      std::ostringstream ss;
      any_value_to_string(ss, _held);
      return ss.str();
    }

    std::string ToJSON(uint8_t const increment, int32_t const indent) const override
    {
      std::ostringstream ss;
      any_value_to_json(ss, _held, increment, indent);
      return ss.str();
    }

    std::type_info const& Type() const noexcept override { return typeid(ValueType); }

    std::unique_ptr<Placeholder> Clone() const override { return std::unique_ptr<Placeholder>(new Holder(_held)); }

    bool EqualTo(Any const& other) const override { return other == _held; }

    ValueType _held;
  };

  template <typename ValueType>
  friend ValueType* any_cast(Any*);
  template <typename ValueType>
  friend ValueType* unsafe_any_cast(Any*) noexcept;

  std::unique_ptr<Placeholder> _content;
};

/// Thrown when an Any is cast to a type it does not hold.
class BadAnyCastException : public std::bad_cast
{
public:
  BadAnyCastException(std::string msg = "") : std::bad_cast(), _msg(std::move(msg)) {}
  ~BadAnyCastException() override = default;

  char const* what() const noexcept override
  {
    return _msg.empty() ? "cppmicroservices::BadAnyCastException: failed conversion using "
                          "cppmicroservices::any_cast"
                        : _msg.c_str();
  }

private:
  std::string _msg;
};

namespace detail {
/// Throws a BadAnyCastException naming the function and both types.
[[noreturn]] US_Framework_EXPORT void
ThrowBadAnyCastException(std::string const& funcName, std::type_info const& source, std::type_info const& target);
} // namespace detail

/// Pointer to the held value, or nullptr when operand is null or holds another type.
template <typename ValueType>
ValueType* any_cast(Any* operand)
{
  return operand && operand->Type() == typeid(ValueType)
           ? &static_cast<Any::Holder<ValueType>*>(operand->_content.get())->_held
           : nullptr;
}

template <typename ValueType>
ValueType const* any_cast(Any const* operand)
{
  return any_cast<ValueType>(const_cast<Any*>(operand));
}

/// Copy of the held value. \throws BadAnyCastException on a type mismatch.
template <typename ValueType>
ValueType any_cast(Any const& operand)
{
  using Plain = std::remove_cv_t<std::remove_reference_t<ValueType>>;
  auto const* result = any_cast<Plain>(&operand);
  if (!result) {
    detail::ThrowBadAnyCastException("any_cast", operand.Type(), typeid(Plain));
  }
  return *result;
}

template <typename ValueType>
ValueType any_cast(Any& operand)
{
  using Plain = std::remove_cv_t<std::remove_reference_t<ValueType>>;
  auto* result = any_cast<Plain>(&operand);
  if (!result) {
    detail::ThrowBadAnyCastException("any_cast", operand.Type(), typeid(Plain));
  }
  return *result;
}

/// Reference to the held value. \throws BadAnyCastException on a type mismatch.
template <typename ValueType>
ValueType const& ref_any_cast(Any const& operand)
{
  auto const* result = any_cast<ValueType>(&operand);
  if (!result) {
    detail::ThrowBadAnyCastException("ref_any_cast", operand.Type(), typeid(ValueType));
  }
  return *result;
}

template <typename ValueType>
ValueType& ref_any_cast(Any& operand)
{
  auto* result = any_cast<ValueType>(&operand);
  if (!result) {
    detail::ThrowBadAnyCastException("ref_any_cast", operand.Type(), typeid(ValueType));
  }
  return *result;
}

/// Unchecked access for callers that already know the held type.
template <typename ValueType>
ValueType* unsafe_any_cast(Any* operand) noexcept
{
  return &static_cast<Any::Holder<ValueType>*>(operand->_content.get())->_held;
}

template <typename ValueType>
ValueType const* unsafe_any_cast(Any const* operand) noexcept
{
  return unsafe_any_cast<ValueType>(const_cast<Any*>(operand));
}

/// Streams the held value's text ("" for an empty Any). A template so that no other type
/// reaches it through Any's converting constructor (that would recurse forever).
template <class T, std::enable_if_t<std::is_same_v<T, Any>, int> = 0>
std::ostream& operator<<(std::ostream& os, T const& any)
{
  return any_value_to_string(os, any);
}

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_ANY_H
