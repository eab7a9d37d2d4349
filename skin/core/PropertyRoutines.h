#pragma once
// Published properties by name, for engine code that handles controls through their property
// tables rather than their classes (foreign controls, adapters). Property names compare without
// regard to ASCII case, as the class library's tables do; element names of sets compare exactly.
// An object that is null or not persistent has no published properties.

#include <string_view>

class TObject;
class TPersistent;

bool PropertyExists(const TObject* object, std::string_view name) noexcept;
// The object a class, collection or component property holds; nullptr when there is no such
// property.
TPersistent* ReadObjectProperty(const TObject* object, std::string_view name);
// The value of an ordinal property (integer, enumeration, set bits, Boolean, character); -1
// when there is no such property.
int ReadIntProperty(const TObject* object, std::string_view name);
// Sets an ordinal property when there is one. Raises EPropertyError for a value it cannot hold.
void WriteIntProperty(TObject* object, std::string_view name, int value);
// True when the set property holds the element of that exact name.
bool TestSetProperty(const TObject* object, std::string_view property, std::string_view element);
// Adds the element to the set property, or removes it; nothing happens when the object has no
// such set or the set no such element.
void ToggleSetProperty(TObject* object, std::string_view property, std::string_view element, bool include);
