#ifndef CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_COMPONENTINSTANCEIMPL_HPP
#define CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_COMPONENTINSTANCEIMPL_HPP

#include "cppmicroservices/AnyMap.h"
#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/servicecomponent/ComponentContext.hpp"
#include "cppmicroservices/servicecomponent/ComponentException.hpp"
#include "cppmicroservices/servicecomponent/detail/Binders.hpp"
#include "cppmicroservices/servicecomponent/detail/ComponentInstance.hpp"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace cppmicroservices::service::component::detail {

/// The interface of an injected reference: given as R or as std::shared_ptr<R>.
template <class R>
struct InjectedInterface
{
  using type = R;
};
template <class R>
struct InjectedInterface<std::shared_ptr<R>>
{
  using type = R;
};
template <class R>
using InjectedInterface_t = typename InjectedInterface<R>::type;

template <class T, class = void>
struct HasActivate : std::false_type
{};
template <class T>
struct HasActivate<
  T, std::void_t<decltype(std::declval<T&>().Activate(std::declval<std::shared_ptr<ComponentContext> const&>()))>>
    : std::true_type
{};

template <class T, class = void>
struct HasDeactivate : std::false_type
{};
template <class T>
struct HasDeactivate<
  T, std::void_t<decltype(std::declval<T&>().Deactivate(std::declval<std::shared_ptr<ComponentContext> const&>()))>>
    : std::true_type
{};

template <class T, class = void>
struct HasModified : std::false_type
{};
template <class T>
struct HasModified<
  T, std::void_t<decltype(std::declval<T&>().Modified(std::declval<std::shared_ptr<ComponentContext> const&>(),
                                                      std::declval<std::shared_ptr<AnyMap> const&>()))>>
    : std::true_type
{};

/**
 * The component instance of implementation class T providing the interfaces of the
 * tuple InterfaceTuple, whose constructor receives one std::shared_ptr per injected
 * reference (CtorInjectedRefs, each the interface or std::shared_ptr of it), located by
 * the names in refNames, in the same order. Without injected references T is built with
 * its default constructor, or with a std::shared_ptr<AnyMap> of the component properties.
 */
template <class T, class InterfaceTuple = std::tuple<>, class... CtorInjectedRefs>
class ComponentInstanceImpl final : public ComponentInstance
{
public:
  explicit ComponentInstanceImpl(std::vector<std::string> const& refNames = {},
                                 std::vector<std::shared_ptr<Binder<T>>> const& binders = {})
      : refNames_(refNames), binders_(binders)
  {
    for (std::size_t i = 0; i < binders_.size(); ++i) {
      binderIndex_[binders_[i]->GetReferenceName()] = i;
    }
  }

  ~ComponentInstanceImpl() override = default;

  void CreateInstance(std::shared_ptr<ComponentContext> const& ctxt) override
  {
    if (refNames_.size() != sizeof...(CtorInjectedRefs)) {
      throw ComponentException("The component factory names " + std::to_string(refNames_.size()) +
                               " references but the constructor takes " + std::to_string(sizeof...(CtorInjectedRefs)));
    }
    context_ = ctxt;
    impl_ = Create(std::index_sequence_for<CtorInjectedRefs...>{});
    interfaces_ = MakeInterfaces(std::make_index_sequence<std::tuple_size_v<InterfaceTuple>>{});
  }

  void BindReferences(std::shared_ptr<ComponentContext> const& ctxt) override
  {
    for (auto& binder : binders_) {
      binder->Bind(ctxt, impl_);
    }
  }

  void UnbindReferences() override
  {
    for (auto& binder : binders_) {
      binder->Unbind(context_, impl_);
    }
  }

  void Activate() override
  {
    if constexpr (HasActivate<T>::value) {
      if (impl_) {
        impl_->Activate(context_);
      }
    }
  }

  void Deactivate() override
  {
    if constexpr (HasDeactivate<T>::value) {
      if (impl_) {
        impl_->Deactivate(context_);
      }
    }
  }

  void Modified() override
  {
    if constexpr (HasModified<T>::value) {
      if (impl_) {
        impl_->Modified(context_, std::make_shared<AnyMap>(context_->GetProperties()));
      }
    }
  }

  bool DoesModifiedMethodExist() override { return HasModified<T>::value; }

  void InvokeBindMethod(std::string const& refName, ServiceReferenceBase const& sRef) override
  {
    binders_.at(binderIndex_.at(refName))->Bind(context_->GetBundleContext(), sRef, impl_);
  }

  void InvokeUnbindMethod(std::string const& refName, ServiceReferenceBase const& sRef) override
  {
    binders_.at(binderIndex_.at(refName))->UnBind(context_->GetBundleContext(), sRef, impl_);
  }

  InterfaceMapPtr GetInterfaceMap() override { return interfaces_; }

  /// The implementation object, empty before CreateInstance.
  std::shared_ptr<T> GetInstance() const { return impl_; }

private:
  using Props = std::shared_ptr<AnyMap> const&;

  template <std::size_t... I>
  std::shared_ptr<T> Create(std::index_sequence<I...>)
  {
    if constexpr (sizeof...(CtorInjectedRefs) == 0) {
      if constexpr (std::is_default_constructible_v<T>) {
        return std::make_shared<T>();
      } else {
        static_assert(std::is_constructible_v<T, Props>,
                      "The component class needs a default constructor, or one taking "
                      "std::shared_ptr<cppmicroservices::AnyMap> const& (the component properties), "
                      "when the manifest injects no references");
        return std::make_shared<T>(Properties());
      }
    } else {
      if constexpr (std::is_constructible_v<T, std::shared_ptr<InjectedInterface_t<CtorInjectedRefs>> const&...>) {
        return std::make_shared<T>(Locate<InjectedInterface_t<CtorInjectedRefs>>(refNames_[I])...);
      } else {
        static_assert(
          std::is_constructible_v<T, Props, std::shared_ptr<InjectedInterface_t<CtorInjectedRefs>> const&...>,
          "The component class needs a constructor taking one std::shared_ptr per injected "
          "reference, in manifest order (optionally after the component properties), when the "
          "manifest sets inject-references");
        return std::make_shared<T>(Properties(), Locate<InjectedInterface_t<CtorInjectedRefs>>(refNames_[I])...);
      }
    }
  }

  template <class R>
  std::shared_ptr<R> Locate(std::string const& name) const
  {
    return context_->template LocateService<R>(name);
  }

  std::shared_ptr<AnyMap> Properties() const
  {
    auto properties = std::make_shared<AnyMap>(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
    for (auto& entry : context_->GetProperties()) {
      properties->emplace(entry.first, std::move(entry.second));
    }
    return properties;
  }

  template <std::size_t... I>
  InterfaceMapPtr MakeInterfaces(std::index_sequence<I...>)
  {
    if constexpr (sizeof...(I) == 0) {
      return std::make_shared<InterfaceMap>();
    } else {
      // One map for the object's life: every bundle that gets the service shares it.
      InterfaceMapPtr map = MakeInterfaceMap<std::tuple_element_t<I, InterfaceTuple>...>(impl_);
      return map;
    }
  }

  std::vector<std::string> refNames_;
  std::vector<std::shared_ptr<Binder<T>>> binders_;
  std::map<std::string, std::size_t> binderIndex_;
  std::shared_ptr<ComponentContext> context_;
  std::shared_ptr<T> impl_;
  InterfaceMapPtr interfaces_;
};

} // namespace cppmicroservices::service::component::detail

#endif // CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_COMPONENTINSTANCEIMPL_HPP
