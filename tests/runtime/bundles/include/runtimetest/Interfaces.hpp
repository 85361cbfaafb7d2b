#pragma once

#include <string>

// Service interfaces shared by the runtime tests and their test bundles.
namespace runtimetest {

class Storage
{
public:
  virtual ~Storage() = default;
  virtual std::string Name() const = 0;
};

class Consumer
{
public:
  virtual ~Consumer() = default;
  /// What the object is made of, e.g. "Tail>Front(primary)".
  virtual std::string Describe() const = 0;
};

/// Registered by the tests themselves, to drive a component's reference.
class Source
{
public:
  virtual ~Source() = default;
  virtual std::string Name() const = 0;
};

/// Provided by the provider bundle only.
class Remote
{
public:
  virtual ~Remote() = default;
  virtual std::string Where() const = 0;
};

/// Nobody provides it.
class Missing
{
public:
  virtual ~Missing() = default;
};

/// Reports on the bundle it lives in, from inside that bundle's library.
class ContextProbe
{
public:
  virtual ~ContextProbe() = default;
  /// Whether the bundle's own context (the one the framework handed to the library) is valid.
  virtual bool OwnContextValid() const = 0;
};

} // namespace runtimetest
