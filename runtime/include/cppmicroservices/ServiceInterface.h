#ifndef CPPMICROSERVICES_SERVICEINTERFACE_H
#define CPPMICROSERVICES_SERVICEINTERFACE_H

#include "cppmicroservices/Any.h"
#include "cppmicroservices/GlobalConfig.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <typeinfo>
#include <utility>

/**
 * The id under which services of interface T are registered and looked up. By default
 * the demangled, fully qualified type name (e.g. "richmarkup::build::json::NodeBuilder");
 * specialize it, or use US_DECLARE_SERVICE_INTERFACE, for a custom id.
 */
template <class T>
std::string us_service_interface_iid();

namespace cppmicroservices {

class ServiceFactory;

/// Interface id -> the service object cast to that interface.
using InterfaceMap = std::map<std::string, std::shared_ptr<void>>;
using InterfaceMapPtr = std::shared_ptr<InterfaceMap>;
using InterfaceMapConstPtr = std::shared_ptr<InterfaceMap const>;

namespace detail {

/// The id of T, computed once per type and library; lookups run on the hot path, so
/// they use this reference instead of building the name again.
template <class T>
std::string const& ServiceInterfaceId()
{
  static std::string const id = us_service_interface_iid<T>();
  return id;
}

/// Key of the service factory entry in an InterfaceMap.
inline char const* ServiceFactoryKey() noexcept
{
  return "org.cppmicroservices.factory";
}

template <class... Interfaces>
struct InterfacesTuple
{
  using type = std::tuple<std::shared_ptr<Interfaces>...>;

  template <class Impl>
  static type create(std::shared_ptr<Impl> const& impl)
  {
    return type(std::static_pointer_cast<Interfaces>(impl)...);
  }
};

template <class Tuple, std::size_t... I>
void InsertInterfaceTypes(InterfaceMap& map, Tuple const& interfaces, std::index_sequence<I...>)
{
  (map.emplace(ServiceInterfaceId<typename std::tuple_element_t<I, Tuple>::element_type>(),
               std::static_pointer_cast<void>(std::get<I>(interfaces))),
   ...);
}

template <class T, class... List>
struct Contains : std::disjunction<std::is_same<T, List>...>
{};

} // namespace detail
} // namespace cppmicroservices

template <class T>
std::string us_service_interface_iid()
{
  return cppmicroservices::detail::GetDemangledName(typeid(T));
}

template <>
inline std::string us_service_interface_iid<void>()
{
  return std::string();
}

/// Gives an interface a custom id. Use at global scope, after the interface's definition.
#define US_DECLARE_SERVICE_INTERFACE(_service_interface_type, _service_interface_id)                                   \
  template <>                                                                                                          \
  inline std::string us_service_interface_iid<_service_interface_type>()                                               \
  {                                                                                                                    \
    return _service_interface_id;                                                                                      \
  }

namespace cppmicroservices {

/**
 * Builds the InterfaceMap of a service object that implements Interfaces..., or of a
 * service factory (which then provides the objects on demand):
 *
 *   InterfaceMapConstPtr im = MakeInterfaceMap<I1, I2>(std::make_shared<Impl>());
 */
template <class... Interfaces>
class MakeInterfaceMap
{
public:
  template <class Impl>
  MakeInterfaceMap(std::shared_ptr<Impl> const& impl)
      : m_interfaces(detail::InterfacesTuple<Interfaces...>::create(impl))
  {}

  /// \throws std::invalid_argument if factory is null.
  MakeInterfaceMap(std::shared_ptr<ServiceFactory> const& factory) : m_factory(factory)
  {
    if (!m_factory) {
      throw std::invalid_argument("The service factory argument must not be nullptr.");
    }
  }

  operator InterfaceMapPtr() { return getInterfaceMap(); }
  operator InterfaceMapConstPtr() { return getInterfaceMap(); }

private:
  InterfaceMapPtr getInterfaceMap()
  {
    auto map = std::make_shared<InterfaceMap>();
    if (m_factory) {
      // The objects come from the factory; the ids still announce the interfaces.
      (map->emplace(detail::ServiceInterfaceId<Interfaces>(), std::shared_ptr<void>()), ...);
      map->emplace(detail::ServiceFactoryKey(), std::static_pointer_cast<void>(m_factory));
    } else {
      detail::InsertInterfaceTypes(*map, m_interfaces, std::index_sequence_for<Interfaces...>{});
    }
    return map;
  }

  std::shared_ptr<ServiceFactory> m_factory;
  typename detail::InterfacesTuple<Interfaces...>::type m_interfaces;
};

/// The object registered for Interface in map, or nullptr.
template <class Interface>
std::shared_ptr<Interface> ExtractInterface(InterfaceMapConstPtr const& map)
{
  if (!map) {
    return nullptr;
  }
  auto const iter = map->find(detail::ServiceInterfaceId<Interface>());
  return iter != map->end() ? std::static_pointer_cast<Interface>(iter->second) : nullptr;
}

/// The object registered under interfaceId, or nullptr; an empty id picks the first entry.
inline std::shared_ptr<void> ExtractInterface(InterfaceMapConstPtr const& map, std::string const& interfaceId)
{
  if (!map) {
    return nullptr;
  }
  if (interfaceId.empty()) {
    return map->empty() ? nullptr : map->begin()->second;
  }
  auto const iter = map->find(interfaceId);
  return iter != map->end() ? iter->second : nullptr;
}

/// Casts a concrete factory to ServiceFactory, e.g. for RegisterService<I>(ToFactory(f)).
template <class T>
std::shared_ptr<ServiceFactory> ToFactory(std::shared_ptr<T> const& factory)
{
  return std::static_pointer_cast<ServiceFactory>(factory);
}

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEINTERFACE_H
