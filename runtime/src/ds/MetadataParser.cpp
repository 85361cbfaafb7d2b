#include "MetadataParser.hpp"

#include "cppmicroservices/servicecomponent/ComponentConstants.hpp"

#include <set>
#include <stdexcept>

namespace cppmicroservices::scr {

namespace {

std::string Quoted(std::string const& text)
{
  return "\"" + text + "\"";
}

/// The value under key, or nullptr.
Any const* Find(AnyMap const& map, std::string const& key)
{
  auto const it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

/// Reads an optional bool; false with error set when the value has another type.
bool ReadBool(AnyMap const& map, std::string const& key, bool& out, std::string& error)
{
  Any const* value = Find(map, key);
  if (!value) {
    return true;
  }
  if (auto const* b = any_cast<bool>(value)) {
    out = *b;
    return true;
  }
  error = Quoted(key) + " must be true or false";
  return false;
}

bool ReadString(AnyMap const& map, std::string const& key, std::string& out, std::string& error, bool required)
{
  Any const* value = Find(map, key);
  if (!value) {
    if (required) {
      error = Quoted(key) + " is missing";
      return false;
    }
    return true;
  }
  auto const* text = any_cast<std::string>(value);
  if (!text || (required && text->empty())) {
    error = Quoted(key) + " must be a non-empty string";
    return false;
  }
  out = *text;
  return true;
}

bool IsVersionOne(Any const& value)
{
  if (auto const* i = any_cast<int>(&value)) {
    return *i == 1;
  }
  if (auto const* d = any_cast<double>(&value)) {
    return *d == 1.0;
  }
  return false;
}

} // namespace

BundleMetadata MetadataParser::Parse(std::string const& bundleName, AnyMap const& headers)
{
  BundleMetadata result;
  std::string const where = "bundle " + Quoted(bundleName);
  Any const* scrValue = Find(headers, service::component::ComponentConstants::SERVICE_COMPONENT);
  if (!scrValue) {
    return result;
  }
  auto const* scr = any_cast<AnyMap>(scrValue);
  if (!scr) {
    result.errors.push_back(where + ": \"scr\" must be an object");
    return result;
  }
  Any const* version = Find(*scr, "version");
  if (!version || !IsVersionOne(*version)) {
    result.errors.push_back(where + ": \"scr\" needs \"version\": 1 (found " +
                            (version ? version->ToStringNoExcept() : std::string("none")) + ")");
    return result;
  }
  Any const* componentsValue = Find(*scr, "components");
  if (!componentsValue) {
    return result;
  }
  auto const* components = any_cast<std::vector<Any>>(componentsValue);
  if (!components) {
    result.errors.push_back(where + ": \"scr\".\"components\" must be an array");
    return result;
  }

  std::set<std::string> names;
  for (std::size_t i = 0; i < components->size(); ++i) {
    ComponentMetadata component;
    std::string error;
    if (!ParseComponent(bundleName, i, (*components)[i], component, error)) {
      result.errors.push_back(error);
      continue;
    }
    if (!names.insert(component.name).second) {
      result.errors.push_back(where + ": component " + Quoted(component.name) +
                              ": the name is already used by an earlier component");
      continue;
    }
    result.components.push_back(std::move(component));
  }
  return result;
}

bool MetadataParser::ParseComponent(std::string const& bundleName, std::size_t index, Any const& value,
                                    ComponentMetadata& component, std::string& error)
{
  std::string where = "bundle " + Quoted(bundleName) + ": component #" + std::to_string(index + 1);
  auto const fail = [&](std::string const& what) {
    error = where + ": " + what;
    return false;
  };
  auto const* map = any_cast<AnyMap>(&value);
  if (!map) {
    return fail("must be an object");
  }
  std::string problem;
  if (!ReadString(*map, "implementation-class", component.implementationClass, problem, true)) {
    return fail(problem);
  }
  component.name = component.implementationClass;
  if (!ReadString(*map, "name", component.name, problem, false) || component.name.empty()) {
    return fail(problem.empty() ? "\"name\" must be a non-empty string" : problem);
  }
  // From here on the component has a name to report.
  where = "bundle " + Quoted(bundleName) + ": component " + Quoted(component.name);

  if (Any const* service = Find(*map, "service")) {
    auto const* serviceMap = any_cast<AnyMap>(service);
    if (!serviceMap) {
      return fail("\"service\" must be an object");
    }
    Any const* interfaces = Find(*serviceMap, "interfaces");
    auto const* list = interfaces ? any_cast<std::vector<Any>>(interfaces) : nullptr;
    if (!list || list->empty()) {
      return fail("\"service\" needs a non-empty array \"interfaces\"");
    }
    for (auto const& entry : *list) {
      auto const* name = any_cast<std::string>(&entry);
      if (!name || name->empty()) {
        return fail("\"service\".\"interfaces\" must hold non-empty strings");
      }
      component.interfaces.push_back(*name);
    }
    if (Any const* scope = Find(*serviceMap, "scope")) {
      auto const* text = any_cast<std::string>(scope);
      if (!text || *text != "singleton") {
        return fail("only the \"singleton\" service scope is supported");
      }
    }
  }

  if (Any const* properties = Find(*map, "properties")) {
    auto const* propertyMap = any_cast<AnyMap>(properties);
    if (!propertyMap) {
      return fail("\"properties\" must be an object");
    }
    for (auto const& entry : *propertyMap) {
      component.properties[entry.first] = entry.second;
    }
  }

  if (!ReadBool(*map, "inject-references", component.injectReferences, problem) ||
      !ReadBool(*map, "immediate", component.immediate, problem) ||
      !ReadBool(*map, "enabled", component.enabled, problem)) {
    return fail(problem);
  }
  if (component.interfaces.empty()) {
    // Nothing would ever ask for it: a component without a service is created at once.
    component.immediate = true;
  }

  if (Any const* references = Find(*map, "references")) {
    auto const* list = any_cast<std::vector<Any>>(references);
    if (!list) {
      return fail("\"references\" must be an array");
    }
    std::set<std::string> referenceNames;
    for (std::size_t i = 0; i < list->size(); ++i) {
      ReferenceMetadata reference;
      if (!ParseReference(where, i, (*list)[i], reference, error)) {
        return false;
      }
      if (!referenceNames.insert(reference.name).second) {
        return fail("reference " + Quoted(reference.name) + " is declared twice");
      }
      component.references.push_back(std::move(reference));
    }
  }
  return true;
}

bool MetadataParser::ParseReference(std::string const& where, std::size_t index, Any const& value,
                                    ReferenceMetadata& reference, std::string& error)
{
  std::string at = where + ": reference #" + std::to_string(index + 1);
  auto const fail = [&](std::string const& what) {
    error = at + ": " + what;
    return false;
  };
  auto const* map = any_cast<AnyMap>(&value);
  if (!map) {
    return fail("must be an object");
  }
  std::string problem;
  if (!ReadString(*map, "name", reference.name, problem, true)) {
    return fail(problem);
  }
  at = where + ": reference " + Quoted(reference.name);
  if (!ReadString(*map, "interface", reference.interfaceName, problem, true) ||
      !ReadString(*map, "target", reference.target, problem, false)) {
    return fail(problem);
  }
  if (!reference.target.empty()) {
    try {
      reference.filter = LDAPFilter(reference.target);
    } catch (std::invalid_argument const& e) {
      return fail(std::string("invalid \"target\": ") + e.what());
    }
  }
  std::string cardinality = "1..1";
  if (!ReadString(*map, "cardinality", cardinality, problem, false)) {
    return fail(problem);
  }
  if (cardinality == "1..1") {
  } else if (cardinality == "0..1") {
    reference.optional = true;
  } else if (cardinality == "1..n") {
    reference.multiple = true;
  } else if (cardinality == "0..n") {
    reference.optional = true;
    reference.multiple = true;
  } else {
    return fail("unknown \"cardinality\" " + Quoted(cardinality));
  }
  std::string policy = "static";
  if (!ReadString(*map, "policy", policy, problem, false)) {
    return fail(problem);
  }
  if (policy != "static" && policy != "dynamic") {
    return fail("unknown \"policy\" " + Quoted(policy));
  }
  // A dynamic reference is handled like a static one: the instance is recreated on change.
  return true;
}

} // namespace cppmicroservices::scr
