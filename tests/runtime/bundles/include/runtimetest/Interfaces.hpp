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

} // namespace runtimetest
