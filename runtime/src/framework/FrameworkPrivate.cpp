#include "FrameworkPrivate.hpp"

#include "BundleAccess.hpp"
#include "BundleContextPrivate.hpp"
#include "BundleLibrary.hpp"
#include "BundleManifestLoader.hpp"
#include "registry/ReferenceAccess.hpp"

#include "cppmicroservices/Constants.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace cppmicroservices {

namespace {

AnyMap SystemHeaders()
{
  AnyMap headers(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  headers[Constants::BUNDLE_SYMBOLICNAME] = Constants::SYSTEM_BUNDLE_SYMBOLICNAME;
  headers[Constants::BUNDLE_NAME] = std::string("System Bundle");
  headers[Constants::BUNDLE_VERSION] = std::string(CppMicroServices_VERSION_STR);
  headers[Constants::BUNDLE_ACTIVATOR] = false;
  return headers;
}

/// Two spellings of one file install one bundle.
std::string LocationKey(std::string const& location)
{
  std::error_code error;
  auto const canonical = std::filesystem::weakly_canonical(std::filesystem::path(location), error);
  return error ? location : canonical.string();
}

using ContextSetter = void (*)(BundleContextPrivate*);

/// The launch properties, and the property by which a host learns that Declarative Services
/// runs inside this framework (a CppMicroServices framework runs it in a bundle of its own).
FrameworkConfiguration WithBuiltInProperties(FrameworkConfiguration configuration)
{
  configuration.emplace("richmarkup.runtime.declarative_services", true);
  return configuration;
}

ContextSetter ContextSetterOf(BundlePrivate const& bundle)
{
  void* symbol = BundleLibrary::Symbol(bundle.library, "_us_set_bundle_context_instance_" + bundle.symbolicName);
  return reinterpret_cast<ContextSetter>(symbol);
}

} // namespace

FrameworkPrivate::FrameworkPrivate(FrameworkConfiguration configuration, std::ostream* log)
    : properties_(WithBuiltInProperties(std::move(configuration))), log_(log),
      system_(std::make_shared<BundlePrivate>(this, 0, Constants::SYSTEM_BUNDLE_LOCATION,
                                              Constants::SYSTEM_BUNDLE_SYMBOLICNAME, SystemHeaders())),
      registry_(this), listeners_([this](std::string const& message) { Log(message); }), components_(*this)
{
  bundles_.emplace(0, system_);
}

FrameworkPrivate::~FrameworkPrivate()
{
  // The last handle is gone: stop what still runs, so that components are deactivated
  // while their libraries and this framework are still there.
  try {
    std::lock_guard<std::recursive_mutex> lock(lifecycleMutex_);
    StopLocked();
  } catch (std::exception const& e) {
    Log(std::string("Stopping the framework failed: ") + e.what());
  } catch (...) {
    Log("Stopping the framework failed");
  }
}

void FrameworkPrivate::Log(std::string const& message) const
{
  std::lock_guard<std::mutex> lock(logMutex_);
  std::ostream& out = log_ != nullptr ? *log_ : std::cerr;
  out << message << std::endl;
}

Bundle FrameworkPrivate::MakeBundle(std::shared_ptr<BundlePrivate> bundle)
{
  return detail::BundleAccess::Make(std::move(bundle), weak_from_this().lock());
}

bool FrameworkPrivate::IsRunning() const noexcept
{
  auto const state = system_->GetState();
  return state == Bundle::STATE_STARTING || state == Bundle::STATE_ACTIVE;
}

std::vector<std::shared_ptr<BundlePrivate>> FrameworkPrivate::Install(std::string const& location,
                                                                      AnyMap const& manifests)
{
  if (location.empty()) {
    throw std::runtime_error("Cannot install a bundle from an empty location");
  }
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  std::string const key = LocationKey(location);
  {
    std::vector<std::shared_ptr<BundlePrivate>> existing;
    std::lock_guard<std::mutex> lock(bundlesMutex_);
    for (auto const& entry : bundles_) {
      if (entry.first != 0 && LocationKey(entry.second->location) == key) {
        existing.push_back(entry.second);
      }
    }
    if (!existing.empty()) {
      return existing;
    }
  }

  std::vector<BundleManifest> found =
    manifests.empty() ? BundleManifestLoader::Load(location) : BundleManifestLoader::FromMap(location, manifests);

  std::vector<std::shared_ptr<BundlePrivate>> installed;
  std::lock_guard<std::mutex> lock(bundlesMutex_);
  for (auto& manifest : found) {
    long const id = nextBundleId_++;
    auto bundle = std::make_shared<BundlePrivate>(this, id, location, std::move(manifest.symbolicName),
                                                  std::move(manifest.headers));
    bundles_.emplace(id, bundle);
    installed.push_back(std::move(bundle));
  }
  return installed;
}

std::shared_ptr<BundlePrivate> FrameworkPrivate::FindBundle(long id) const
{
  std::lock_guard<std::mutex> lock(bundlesMutex_);
  auto const it = bundles_.find(id);
  return it == bundles_.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<BundlePrivate>> FrameworkPrivate::Bundles() const
{
  std::lock_guard<std::mutex> lock(bundlesMutex_);
  std::vector<std::shared_ptr<BundlePrivate>> result;
  result.reserve(bundles_.size());
  for (auto const& entry : bundles_) {
    result.push_back(entry.second);
  }
  return result;
}

void FrameworkPrivate::StartBundle(BundlePrivate& bundle)
{
  if (bundle.id == 0) {
    Start();
    return;
  }
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  auto const state = bundle.GetState();
  if (state == Bundle::STATE_UNINSTALLED) {
    throw std::logic_error("Bundle \"" + bundle.symbolicName + "\" is uninstalled");
  }
  if (state == Bundle::STATE_ACTIVE || state == Bundle::STATE_STARTING) {
    return;
  }
  if (!IsRunning()) {
    throw std::runtime_error("Cannot start bundle \"" + bundle.symbolicName + "\": the framework is not initialized");
  }
  bundle.SetState(Bundle::STATE_STARTING);
  try {
    if (bundle.library == nullptr) {
      bundle.library = BundleLibrary::Load(bundle.location);
    }
  } catch (...) {
    bundle.SetState(Bundle::STATE_INSTALLED);
    throw;
  }

  auto context = std::make_shared<BundleContextPrivate>(&bundle);
  bundle.SetContext(context);
  if (auto setter = ContextSetterOf(bundle)) {
    setter(context.get());
  }
  auto const activator = bundle.headers.find(Constants::BUNDLE_ACTIVATOR);
  if (activator != bundle.headers.end() && activator->second == true) {
    Log("bundle \"" + bundle.symbolicName + "\" declares an activator; this runtime runs none");
  }
  bundle.SetState(Bundle::STATE_ACTIVE);
  bundle.autostart = true;
  {
    std::lock_guard<std::mutex> lock(bundlesMutex_);
    startOrder_.push_back(bundle.id);
  }
  components_.BundleStarted(bundle.shared_from_this());
}

void FrameworkPrivate::StopBundle(BundlePrivate& bundle)
{
  if (bundle.id == 0) {
    Stop();
    return;
  }
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  bundle.autostart = false;
  StopBundleLocked(bundle);
}

void FrameworkPrivate::StopBundleLocked(BundlePrivate& bundle)
{
  auto const state = bundle.GetState();
  if (state != Bundle::STATE_ACTIVE && state != Bundle::STATE_STARTING) {
    return;
  }
  bundle.SetState(Bundle::STATE_STOPPING);
  ReleaseBundle(bundle);
  bundle.SetState(Bundle::STATE_RESOLVED);
}

void FrameworkPrivate::ReleaseBundle(BundlePrivate& bundle)
{
  components_.BundleStopping(bundle);
  for (auto const& registration : registry_.RegisteredBy(bundle.id)) {
    if (registration->IsRegistered()) {
      try {
        UnregisterService(*registration);
      } catch (std::logic_error const&) {
        // Unregistered meanwhile by another thread.
      }
    }
  }
  for (auto const& registration : registry_.All()) {
    registration->ReleaseFactoryServices(bundle.id);
  }
  listeners_.RemoveAll(bundle.id);

  if (auto context = bundle.GetContext()) {
    context->Invalidate();
    if (bundle.id != 0) {
      if (auto setter = ContextSetterOf(bundle)) {
        setter(nullptr);
      }
    }
    bundle.SetContext(nullptr);
  }
  {
    std::lock_guard<std::mutex> lock(bundlesMutex_);
    startOrder_.erase(std::remove(startOrder_.begin(), startOrder_.end(), bundle.id), startOrder_.end());
  }
}

void FrameworkPrivate::UninstallBundle(BundlePrivate& bundle)
{
  if (bundle.id == 0) {
    throw std::runtime_error("The framework cannot be uninstalled");
  }
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  if (bundle.GetState() == Bundle::STATE_UNINSTALLED) {
    throw std::logic_error("Bundle \"" + bundle.symbolicName + "\" is already uninstalled");
  }
  bundle.autostart = false;
  StopBundleLocked(bundle);
  bundle.SetState(Bundle::STATE_UNINSTALLED);
  std::lock_guard<std::mutex> lock(bundlesMutex_);
  bundles_.erase(bundle.id);
}

void FrameworkPrivate::Init()
{
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  auto const state = system_->GetState();
  if (state == Bundle::STATE_STARTING || state == Bundle::STATE_ACTIVE || state == Bundle::STATE_STOPPING) {
    return;
  }
  system_->SetContext(std::make_shared<BundleContextPrivate>(system_.get()));
  system_->SetState(Bundle::STATE_STARTING);
}

void FrameworkPrivate::Start()
{
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  Init();
  if (system_->GetState() == Bundle::STATE_ACTIVE) {
    return;
  }
  // Bundles that were running when the framework last stopped run again.
  for (auto const& bundle : Bundles()) {
    if (bundle->id != 0 && bundle->autostart) {
      try {
        StartBundle(*bundle);
      } catch (std::exception const& e) {
        Log("Restarting bundle \"" + bundle->symbolicName + "\" failed: " + e.what());
      }
    }
  }
  system_->SetState(Bundle::STATE_ACTIVE);
  listeners_.FrameworkChanged(
    FrameworkEvent(FrameworkEvent::FRAMEWORK_STARTED, MakeBundle(system_), "The framework has started"));
}

void FrameworkPrivate::Stop()
{
  std::lock_guard<std::recursive_mutex> lifecycle(lifecycleMutex_);
  StopLocked();
}

void FrameworkPrivate::StopLocked()
{
  if (!IsRunning()) {
    stopped_.notify_all();
    return;
  }
  system_->SetState(Bundle::STATE_STOPPING);
  std::vector<long> order;
  {
    std::lock_guard<std::mutex> lock(bundlesMutex_);
    order.assign(startOrder_.rbegin(), startOrder_.rend());
  }
  for (long const id : order) {
    if (auto bundle = FindBundle(id)) {
      try {
        StopBundleLocked(*bundle);
      } catch (std::exception const& e) {
        Log("Stopping bundle \"" + bundle->symbolicName + "\" failed: " + e.what());
      }
    }
  }
  ReleaseBundle(*system_);
  {
    std::lock_guard<std::mutex> lock(stopMutex_);
    system_->SetState(Bundle::STATE_RESOLVED);
  }
  stopped_.notify_all();
}

FrameworkEvent FrameworkPrivate::WaitForStop(std::chrono::milliseconds const& timeout)
{
  std::unique_lock<std::mutex> lock(stopMutex_);
  auto const stopped = [this] {
    auto const state = system_->GetState();
    return state != Bundle::STATE_STARTING && state != Bundle::STATE_ACTIVE && state != Bundle::STATE_STOPPING;
  };
  if (timeout.count() <= 0) {
    stopped_.wait(lock, stopped);
  } else if (!stopped_.wait_for(lock, timeout, stopped)) {
    return FrameworkEvent(FrameworkEvent::FRAMEWORK_WAIT_TIMEDOUT, MakeBundle(system_),
                          "Timed out waiting for the framework to stop");
  }
  return FrameworkEvent(FrameworkEvent::FRAMEWORK_STOPPED, MakeBundle(system_), "The framework has stopped");
}

std::shared_ptr<ServiceRegistrationBasePrivate>
FrameworkPrivate::RegisterService(std::shared_ptr<BundlePrivate> const& bundle, InterfaceMapConstPtr const& service,
                                  ServiceProperties const& properties, std::string scope)
{
  auto registration = registry_.Add(bundle, service, properties, std::move(scope));
  FireServiceEvent(ServiceEvent::SERVICE_REGISTERED, registration, nullptr);
  return registration;
}

void FrameworkPrivate::UnregisterService(ServiceRegistrationBasePrivate& registration)
{
  if (!registration.BeginUnregister()) {
    throw std::logic_error("The service is already unregistered");
  }
  auto const self = registration.shared_from_this();
  // Listeners hear of it while the service can still be used.
  FireServiceEvent(ServiceEvent::SERVICE_UNREGISTERING, self, nullptr);
  registry_.Remove(registration);
  registration.EndUnregister();
  registration.ReleaseFactoryServices(-1);
}

void FrameworkPrivate::SetServiceProperties(ServiceRegistrationBasePrivate& registration, AnyMap properties)
{
  AnyMap const previous = registration.ReplaceProperties(std::move(properties));
  if (ServiceRegistrationBasePrivate::RankingOf(previous) != registration.Ranking()) {
    registry_.Reorder(registration);
  }
  lookups_.Clear();
  FireServiceEvent(ServiceEvent::SERVICE_MODIFIED, registration.shared_from_this(), &previous);
}

void FrameworkPrivate::FireServiceEvent(ServiceEvent::Type type,
                                        std::shared_ptr<ServiceRegistrationBasePrivate> const& registration,
                                        AnyMap const* previousProperties)
{
  ServiceEvent const event(type, detail::ReferenceAccess::Make(registration, nullptr));
  listeners_.ServiceChanged(event, *registration, previousProperties);
  components_.ServiceChanged(event);
}

} // namespace cppmicroservices
