#pragma once
// XML form of settings objects. A class describes its persisted properties in
// a table (TPersistentClass); the writer walks the table and emits one element
// per property, the reader fills an existing object from such a document.
// Any thread, one document at a time per object.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Common/Errors.h"
#include "Common/StringList.h"

class EXmlPersistenceError : public Exception {
 public:
  using Exception::Exception;
};

enum class TPropKind { Int32, Bool, Enum, Float, Int64, String, Object, StringList };

struct TPersistentClass;

// One persisted property. Accessors take the object as void*; the table of
// a class is written once, next to the class.
struct TPersistentProperty {
  const char* Name;
  TPropKind Kind;
  std::optional<int64_t> Default;                 // declared default (ordinal kinds)
  const std::vector<const char*>* EnumNames = nullptr;
  std::function<int64_t(const void*)> GetInt;     // Int32, Bool, Enum, Int64
  std::function<void(void*, int64_t)> SetInt;
  std::function<double(const void*)> GetFloat;    // Float (single precision widened to double)
  std::function<void(void*, double)> SetFloat;
  std::function<std::string(const void*)> GetString;
  std::function<void(void*, const std::string&)> SetString;
  std::function<void*(void*)> Object;             // Object: the owned object
  const TPersistentClass* ObjectClass = nullptr;
  std::function<const TStringList&(const void*)> GetList;  // StringList
  std::function<void(void*, const TStringList&)> SetList;  // through the class's setter
};

struct TPersistentClass {
  const char* Name;
  std::vector<TPersistentProperty> Properties;
};

// Builders for the common kinds, from a getter and a setter on class C.
template <class C, class T>
TPersistentProperty IntProperty(const char* Name, T (C::*Get)() const, void (C::*Set)(T),
                                std::optional<int64_t> Default = std::nullopt) {
  return {Name, std::is_same_v<T, int64_t> ? TPropKind::Int64 : TPropKind::Int32, Default, nullptr,
          [Get](const void* o) { return static_cast<int64_t>((static_cast<const C*>(o)->*Get)()); },
          [Set](void* o, int64_t v) { (static_cast<C*>(o)->*Set)(static_cast<T>(v)); }};
}

template <class C>
TPersistentProperty BoolProperty(const char* Name, bool (C::*Get)() const, void (C::*Set)(bool)) {
  return {Name, TPropKind::Bool, std::nullopt, nullptr,
          [Get](const void* o) { return static_cast<int64_t>((static_cast<const C*>(o)->*Get)()); },
          [Set](void* o, int64_t v) { (static_cast<C*>(o)->*Set)(v != 0); }};
}

template <class C, class T>
TPersistentProperty FloatProperty(const char* Name, T (C::*Get)() const, void (C::*Set)(T)) {
  TPersistentProperty p{Name, TPropKind::Float};
  p.GetFloat = [Get](const void* o) { return static_cast<double>((static_cast<const C*>(o)->*Get)()); };
  p.SetFloat = [Set](void* o, double v) { (static_cast<C*>(o)->*Set)(static_cast<T>(v)); };
  return p;
}

template <class C>
TPersistentProperty StringProperty(const char* Name, const std::string& (C::*Get)() const,
                                   void (C::*Set)(const std::string&)) {
  TPersistentProperty p{Name, TPropKind::String};
  p.GetString = [Get](const void* o) { return (static_cast<const C*>(o)->*Get)(); };
  p.SetString = [Set](void* o, const std::string& v) { (static_cast<C*>(o)->*Set)(v); };
  return p;
}

template <class C, class Sub>
TPersistentProperty ObjectProperty(const char* Name, Sub& (C::*Get)(), const TPersistentClass& Class) {
  TPersistentProperty p{Name, TPropKind::Object};
  p.Object = [Get](void* o) -> void* { return &(static_cast<C*>(o)->*Get)(); };
  p.ObjectClass = &Class;
  return p;
}

template <class C>
TPersistentProperty ListProperty(const char* Name, const TStringList& (C::*Get)() const,
                                 void (C::*Set)(const TStringList&)) {
  TPersistentProperty p{Name, TPropKind::StringList};
  p.GetList = [Get](const void* o) -> const TStringList& { return (static_cast<const C*>(o)->*Get)(); };
  p.SetList = [Set](void* o, const TStringList& v) { (static_cast<C*>(o)->*Set)(v); };
  return p;
}

template <class C, class E>
TPersistentProperty EnumProperty(const char* Name, E (C::*Get)() const, void (C::*Set)(E),
                                 const std::vector<const char*>& Names, std::optional<int64_t> Default = std::nullopt) {
  TPersistentProperty p{Name, TPropKind::Enum, Default, &Names};
  p.GetInt = [Get](const void* o) { return static_cast<int64_t>((static_cast<const C*>(o)->*Get)()); };
  p.SetInt = [Set](void* o, int64_t v) { (static_cast<C*>(o)->*Set)(static_cast<E>(v)); };
  return p;
}

enum class TPropFormat { Node, Attr, Auto };
enum class TXmlOutput { Indented, Flat };

class TXmlObjectWriter {
 public:
  // Writes Instance of Class; "auto" resolves to "node".
  static std::string WriteToString(const void* Instance, const TPersistentClass& Class,
                                   TPropFormat Layout = TPropFormat::Auto, TXmlOutput Output = TXmlOutput::Flat);
  // Raises EXmlPersistenceError when the file can't be written.
  static void WriteToFile(const void* Instance, const TPersistentClass& Class, const std::string& FileName,
                          TPropFormat Layout = TPropFormat::Node, TXmlOutput Output = TXmlOutput::Indented);
};

class TXmlObjectReader {
 public:
  // Fills Instance from Xml; malformed XML and bad values raise EXmlPersistenceError.
  static void ReadFromString(void* Instance, const TPersistentClass& Class, const std::string& Xml);
  static void ReadFromFile(void* Instance, const TPersistentClass& Class, const std::string& FileName);
};
