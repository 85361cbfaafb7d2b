#ifndef CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_BINDERS_HPP
#define CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_BINDERS_HPP

#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/ServiceReference.h"
#include "cppmicroservices/servicecomponent/ComponentContext.hpp"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace cppmicroservices::service::component::detail {

/// Hands one reference's services to a component object through its bind methods.
template <class T>
class Binder
{
public:
  Binder(std::string refName, std::string refType) : refName_(std::move(refName)), refType_(std::move(refType)) {}
  virtual ~Binder() = default;

  /// Binds the services bound to the reference when the object is created.
  virtual void Bind(std::shared_ptr<ComponentContext> const& ctx, std::shared_ptr<T> const& comp) = 0;
  virtual void Unbind(std::shared_ptr<ComponentContext> const& ctx, std::shared_ptr<T> const& comp) = 0;

  /// Binds or unbinds one service later (dynamic references).
  virtual void Bind(BundleContext bc, ServiceReferenceBase const& sRef, std::shared_ptr<T> const& comp) = 0;
  virtual void UnBind(BundleContext bc, ServiceReferenceBase const& sRef, std::shared_ptr<T> const& comp) = 0;

  std::string const& GetReferenceName() const { return refName_; }
  std::string const& GetReferenceType() const { return refType_; }

private:
  std::string refName_;
  std::string refType_;
};

/// A binder that calls the object's bind and unbind member functions for interface R.
template <class T, class R>
class DynamicBinder final : public Binder<T>
{
public:
  using BindFunc = std::function<void(T*, std::shared_ptr<R> const&)>;
  using UnbindFunc = std::function<void(T*, std::shared_ptr<R> const&)>;

  DynamicBinder(std::string const& refName, BindFunc bind, UnbindFunc unbind)
      : Binder<T>(refName, cppmicroservices::detail::ServiceInterfaceId<R>()), bind_(std::move(bind)),
        unbind_(std::move(unbind))
  {}

  void Bind(std::shared_ptr<ComponentContext> const& ctx, std::shared_ptr<T> const& comp) override
  {
    for (auto const& service : ctx->template LocateServices<R>(this->GetReferenceName())) {
      bind_(comp.get(), service);
    }
  }

  void Unbind(std::shared_ptr<ComponentContext> const& ctx, std::shared_ptr<T> const& comp) override
  {
    for (auto const& service : ctx->template LocateServices<R>(this->GetReferenceName())) {
      unbind_(comp.get(), service);
    }
  }

  void Bind(BundleContext bc, ServiceReferenceBase const& sRef, std::shared_ptr<T> const& comp) override
  {
    bind_(comp.get(), Resolve(bc, sRef));
  }

  void UnBind(BundleContext bc, ServiceReferenceBase const& sRef, std::shared_ptr<T> const& comp) override
  {
    unbind_(comp.get(), Resolve(bc, sRef));
  }

private:
  static std::shared_ptr<R> Resolve(BundleContext& bc, ServiceReferenceBase const& sRef)
  {
    ServiceReference<R> typed(sRef);
    if (!typed) {
      throw std::runtime_error("Invalid service reference");
    }
    return bc.GetService(typed);
  }

  BindFunc bind_;
  UnbindFunc unbind_;
};

} // namespace cppmicroservices::service::component::detail

#endif // CPPMICROSERVICES_SERVICECOMPONENT_DETAIL_BINDERS_HPP
