#include "ManifestReader.hpp"

#include <simdjson.h>

#include <fstream>
#include <set>
#include <sstream>

namespace richmarkup::tools {

namespace {

using simdjson::dom::array;
using simdjson::dom::element;
using simdjson::dom::object;

bool IsIdentifierStart(char c)
{
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsIdentifierChar(char c)
{
  return IsIdentifierStart(c) || (c >= '0' && c <= '9');
}

/// Reads one component, with errors that say which one.
class ComponentParser
{
public:
  ComponentParser(std::string const& manifestName, std::size_t index)
      : where_(manifestName + ": component " + std::to_string(index))
  {}

  ComponentDescription Parse(element const& value)
  {
    object component;
    if (value.get(component)) {
      Fail("is not a JSON object");
    }
    ComponentDescription description;
    description.implementationClass = RequiredName(component, "implementation-class");
    where_ += " (" + description.implementationClass + ")";

    element service;
    if (component.at_key("service").get(service)) {
      Fail("has no \"service\"");
    }
    object serviceObject;
    if (service.get(serviceObject)) {
      Fail("\"service\" is not a JSON object");
    }
    element interfaces;
    if (serviceObject.at_key("interfaces").get(interfaces)) {
      Fail("has no \"service\".\"interfaces\"");
    }
    array interfaceList;
    if (interfaces.get(interfaceList) || interfaceList.size() == 0) {
      Fail("\"service\".\"interfaces\" must be a non-empty array of interface names");
    }
    for (element const interfaceName : interfaceList) {
      description.interfaces.push_back(Name(interfaceName, "\"service\".\"interfaces\""));
    }

    element inject;
    if (component.at_key("inject-references").get(inject) == simdjson::SUCCESS &&
        inject.get(description.injectReferences)) {
      Fail("\"inject-references\" must be true or false");
    }

    element references;
    if (component.at_key("references").get(references) == simdjson::SUCCESS) {
      array referenceList;
      if (references.get(referenceList)) {
        Fail("\"references\" must be an array");
      }
      std::size_t referenceIndex = 0;
      for (element const reference : referenceList) {
        description.references.push_back(ParseReference(reference, referenceIndex++));
      }
    }
    return description;
  }

private:
  ReferenceDescription ParseReference(element const& value, std::size_t index)
  {
    std::string const label = "reference " + std::to_string(index);
    object reference;
    if (value.get(reference)) {
      Fail(label + " is not a JSON object");
    }
    ReferenceDescription description;
    element name;
    std::string_view nameText;
    if (reference.at_key("name").get(name) || name.get(nameText) || nameText.empty()) {
      Fail(label + " has no \"name\"");
    }
    description.name = std::string(nameText);
    element interfaceName;
    if (reference.at_key("interface").get(interfaceName)) {
      Fail(label + " (" + description.name + ") has no \"interface\"");
    }
    description.interfaceName = Name(interfaceName, label + " (" + description.name + ") \"interface\"");
    return description;
  }

  std::string RequiredName(object const& component, char const* key)
  {
    element value;
    if (component.at_key(key).get(value)) {
      Fail(std::string("has no \"") + key + "\"");
    }
    return Name(value, std::string("\"") + key + "\"");
  }

  std::string Name(element const& value, std::string const& what)
  {
    std::string_view text;
    if (value.get(text)) {
      Fail(what + " must be a string");
    }
    std::string name(text);
    if (!ManifestReader::IsQualifiedName(name)) {
      Fail(what + " \"" + name + "\" is not a qualified C++ name");
    }
    return name;
  }

  [[noreturn]] void Fail(std::string const& what) const { throw ManifestError(where_ + " " + what); }

  std::string where_;
};

} // namespace

bool ManifestReader::IsQualifiedName(std::string const& name)
{
  std::size_t pos = name.compare(0, 2, "::") == 0 ? 2 : 0;
  while (true) {
    if (pos >= name.size() || !IsIdentifierStart(name[pos])) {
      return false;
    }
    while (pos < name.size() && IsIdentifierChar(name[pos])) {
      ++pos;
    }
    if (pos == name.size()) {
      return true;
    }
    if (name.compare(pos, 2, "::") != 0) {
      return false;
    }
    pos += 2;
  }
}

std::vector<ComponentDescription> ManifestReader::Parse(std::string const& json, std::string const& manifestName)
{
  simdjson::dom::parser parser;
  simdjson::padded_string padded(json);
  element root;
  if (auto const error = parser.parse(padded).get(root)) {
    throw ManifestError(manifestName + ": invalid JSON: " + simdjson::error_message(error));
  }
  object rootObject;
  if (root.get(rootObject)) {
    throw ManifestError(manifestName + ": the manifest must be a JSON object");
  }
  std::vector<ComponentDescription> result;
  element scr;
  if (rootObject.at_key("scr").get(scr)) {
    return result; // a bundle without Declarative Services components
  }
  object scrObject;
  if (scr.get(scrObject)) {
    throw ManifestError(manifestName + ": \"scr\" must be a JSON object");
  }
  element components;
  if (scrObject.at_key("components").get(components)) {
    return result;
  }
  array componentList;
  if (components.get(componentList)) {
    throw ManifestError(manifestName + ": \"scr\".\"components\" must be an array");
  }
  std::set<std::string> seen;
  std::size_t index = 0;
  for (element const component : componentList) {
    ComponentDescription description = ComponentParser(manifestName, index).Parse(component);
    // Two factories for one class would be one symbol defined twice.
    if (!seen.insert(description.implementationClass).second) {
      throw ManifestError(manifestName + ": component " + std::to_string(index) + " (" +
                          description.implementationClass + ") repeats an implementation class");
    }
    result.push_back(std::move(description));
    ++index;
  }
  return result;
}

std::vector<ComponentDescription> ManifestReader::ReadFile(std::string const& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw ManifestError(path + ": cannot open file");
  }
  std::ostringstream content;
  content << in.rdbuf();
  return Parse(content.str(), path);
}

} // namespace richmarkup::tools
