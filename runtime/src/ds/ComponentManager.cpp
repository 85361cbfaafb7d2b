#include "ComponentManager.hpp"

#include "ServiceComponentRuntime.hpp"
#include "framework/BundleContextPrivate.hpp"
#include "framework/BundleLibrary.hpp"
#include "framework/BundlePrivate.hpp"
#include "framework/FrameworkPrivate.hpp"

#include "cppmicroservices/servicecomponent/ComponentConstants.hpp"
#include "cppmicroservices/servicecomponent/ComponentException.hpp"

#include <exception>

namespace cppmicroservices::scr {

using service::component::ComponentException;
namespace ComponentConstants = service::component::ComponentConstants;

ComponentManager::ComponentManager(ServiceComponentRuntime& runtime, FrameworkPrivate& framework,
                                   std::shared_ptr<BundlePrivate> bundle, ComponentMetadata metadata, long id)
    : runtime_(runtime), framework_(framework), bundle_(std::move(bundle)), metadata_(std::move(metadata)), id_(id),
      configuration_(*this)
{
  for (auto const& reference : metadata_.references) {
    references_.push_back(std::make_unique<ReferenceManager>(reference, framework_));
  }
}

ComponentManager::~ComponentManager()
{
  if (enabled_) {
    try {
      Disable();
    } catch (...) {
      // Nothing to report to from a destructor.
    }
  }
}

std::string ComponentManager::Describe() const
{
  return "bundle \"" + bundle_->symbolicName + "\": component \"" + metadata_.name + "\"";
}

void ComponentManager::Log(std::string const& message) const
{
  framework_.Log(message);
}

void ComponentManager::Enable()
{
  if (enabled_) {
    return;
  }
  error_.clear();
  std::string const suffix = metadata_.FactorySuffix();
  std::string const newName = "NewInstance_" + suffix;
  std::string const deleteName = "DeleteInstance_" + suffix;
  newInstance_ = reinterpret_cast<NewInstanceFunction>(BundleLibrary::Symbol(bundle_->library, newName));
  deleteInstance_ = reinterpret_cast<DeleteInstanceFunction>(BundleLibrary::Symbol(bundle_->library, deleteName));
  if (newInstance_ == nullptr || deleteInstance_ == nullptr) {
    error_ =
      Describe() + ": disabled, the bundle library does not export " + (newInstance_ == nullptr ? newName : deleteName);
    Log(error_);
    return;
  }
  enabled_ = true;
  for (auto& reference : references_) {
    reference->Initialize();
  }
  if (AllSatisfied()) {
    configuration_.Satisfy();
  }
}

void ComponentManager::Disable(std::string const& reason)
{
  if (!reason.empty()) {
    error_ = Describe() + ": disabled, " + reason;
    Log(error_);
  }
  if (!enabled_) {
    return;
  }
  enabled_ = false;
  configuration_.Unsatisfy();
  for (auto& reference : references_) {
    reference->Clear();
  }
}

void ComponentManager::ServiceChanged(ServiceEvent const& event)
{
  for (auto& reference : references_) {
    if (!enabled_) {
      return;
    }
    switch (reference->ServiceChanged(event)) {
    case ReferenceManager::Change::None: break;
    case ReferenceManager::Change::Satisfied:
      if (configuration_.GetState() == ComponentConfiguration::State::UnsatisfiedReference && AllSatisfied()) {
        configuration_.Satisfy();
      }
      break;
    case ReferenceManager::Change::Unsatisfied: configuration_.Unsatisfy(); break;
    case ReferenceManager::Change::BoundLost:
      // Static reference: the instance goes, and a new one binds whatever matches now.
      configuration_.Unsatisfy();
      if (enabled_ && AllSatisfied()) {
        configuration_.Satisfy();
      }
      break;
    }
  }
}

bool ComponentManager::AllSatisfied() const
{
  for (auto const& reference : references_) {
    if (!reference->IsSatisfied()) {
      return false;
    }
  }
  return true;
}

void ComponentManager::BindReferences()
{
  for (auto& reference : references_) {
    reference->Bind();
  }
}

void ComponentManager::UnbindReferences()
{
  for (auto& reference : references_) {
    reference->Unbind();
  }
}

ReferenceManager const& ComponentManager::FindReference(std::string const& refName) const
{
  for (auto const& reference : references_) {
    if (reference->Metadata().name == refName) {
      return *reference;
    }
  }
  throw ComponentException(Describe() + " has no reference named \"" + refName + "\"");
}

std::vector<std::shared_ptr<void>> ComponentManager::Objects(ReferenceManager const& reference,
                                                             std::string const& type) const
{
  std::vector<std::shared_ptr<void>> objects;
  auto const context = bundle_->GetContext();
  if (!context || !context->IsValid()) {
    throw ComponentException(Describe() + ": the bundle context is no longer valid");
  }
  for (auto const& bound : reference.Bound()) {
    InterfaceMapConstPtr const map = context->GetServiceMap(bound);
    if (!map) {
      continue;
    }
    auto const it = map->find(type);
    if (it != map->end() && it->second) {
      objects.push_back(it->second);
    }
  }
  if (objects.empty() && !reference.Bound().empty()) {
    throw ComponentException(Describe() + ": the service bound to reference \"" + reference.Metadata().name +
                             "\" is not available as " + type);
  }
  return objects;
}

std::shared_ptr<void> ComponentManager::LocateService(std::string const& refName, std::string const& type) const
{
  ReferenceManager const& reference = FindReference(refName);
  auto const objects = Objects(reference, type);
  if (objects.empty()) {
    if (reference.Metadata().optional) {
      return nullptr;
    }
    throw ComponentException(Describe() + ": no service is bound to reference \"" + refName + "\"");
  }
  return objects.front();
}

std::vector<std::shared_ptr<void>> ComponentManager::LocateServices(std::string const& refName,
                                                                    std::string const& type) const
{
  return Objects(FindReference(refName), type);
}

std::unordered_map<std::string, Any> ComponentManager::Properties() const
{
  std::unordered_map<std::string, Any> properties;
  for (auto const& entry : metadata_.properties) {
    properties.emplace(entry.first, entry.second);
  }
  properties[ComponentConstants::COMPONENT_NAME] = metadata_.name;
  properties[ComponentConstants::COMPONENT_ID] = id_;
  return properties;
}

ServiceProperties ComponentManager::RegistrationProperties() const
{
  ServiceProperties properties;
  for (auto const& entry : metadata_.properties) {
    properties.emplace(entry.first, entry.second);
  }
  properties[ComponentConstants::COMPONENT_NAME] = metadata_.name;
  properties[ComponentConstants::COMPONENT_ID] = id_;
  return properties;
}

} // namespace cppmicroservices::scr
