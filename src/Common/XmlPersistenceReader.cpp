// Reading settings objects from their XML form into existing objects.
#include <pugixml.hpp>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <unordered_map>

#include "Common/FileText.h"
#include "Common/NumberText.h"
#include "Common/XmlPersistence.h"

namespace {

constexpr int64_t kMissingInteger = INT32_MIN;

pugi::xml_node Child(const pugi::xml_node& Parent, const char* Name) {
  for (pugi::xml_node c = Parent.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && SameText(c.name(), Name)) return c;
  return {};
}

pugi::xml_attribute Attribute(const pugi::xml_node& Node, const char* Name) {
  for (pugi::xml_attribute a = Node.first_attribute(); a; a = a.next_attribute())
    if (SameText(a.name(), Name)) return a;
  return {};
}

// All text inside an element, concatenated.
std::string TextOf(const pugi::xml_node& Node) {
  std::string out;
  for (pugi::xml_node c = Node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
  return out;
}

// Hash and equality of names as SameText compares them (ASCII letters
// folded), over the document's own name strings.
struct TFoldedHash {
  size_t operator()(const char* Name) const {
    constexpr size_t kFnvOffset = 14695981039346656037ULL;
    constexpr size_t kFnvPrime = 1099511628211ULL;
    size_t h = kFnvOffset;
    for (; *Name; ++Name) {
      const char ch = (*Name >= 'A' && *Name <= 'Z') ? static_cast<char>(*Name - 'A' + 'a') : *Name;
      h = (h ^ static_cast<unsigned char>(ch)) * kFnvPrime;
    }
    return h;
  }
};
struct TFoldedEqual {
  bool operator()(const char* A, const char* B) const { return SameText(A, B); }
};

bool ParseInteger(const std::string& Text, int64_t Min, int64_t Max, int64_t& Value) {
  if (Text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(Text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || v < Min || v > Max) return false;
  Value = v;
  return true;
}

class TReader {
 public:
  explicit TReader(bool Attr) : FAttr(Attr) {}

  // The text of property Name under E, or nullopt when it is absent.
  std::optional<std::string> Find(const pugi::xml_node& E, const char* Name) const {
    if (FAttr) {
      pugi::xml_attribute a = Attribute(E, Name);
      if (!a) return std::nullopt;
      return std::string(a.value());
    }
    pugi::xml_node c = IndexedChild(E, Name);
    if (!c) return std::nullopt;
    return TextOf(c);
  }

  // Child(E, Name) through an index of E's elements by folded name, built
  // when E is first asked: a record's elements are looked up one property
  // after another, and a scan per property made reading quadratic.
  pugi::xml_node IndexedChild(const pugi::xml_node& E, const char* Name) const {
    if (E != FIndexed) {
      FIndexed = E;
      FIndex.clear();
      for (pugi::xml_node c = E.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element) FIndex.emplace(c.name(), c);  // the first one stays
    }
    const auto it = FIndex.find(Name);
    return it == FIndex.end() ? pugi::xml_node() : it->second;
  }

  void ReadObject(const pugi::xml_node& E, void* Instance, const TPersistentClass& Class) const {
    for (const TPersistentProperty& p : Class.Properties) ReadProperty(E, Instance, p);
  }

  void ReadProperty(const pugi::xml_node& E, void* Instance, const TPersistentProperty& P) const {
    switch (P.Kind) {
      case TPropKind::Int32: {
        if (!P.SetInt) return;
        const auto text = Find(E, P.Name);
        int64_t v = P.Default.value_or(kMissingInteger);
        if (text && !ParseInteger(*text, INT32_MIN, INT32_MAX, v))
          throw EXmlPersistenceError(Format("Invalid integer value (%s).", text->c_str()));
        P.SetInt(Instance, v);
        return;
      }
      case TPropKind::Bool: {
        if (!P.SetInt) return;
        const auto text = Find(E, P.Name);
        int64_t v = P.Default.value_or(0);
        if (text) {
          if (*text == "1") v = 1;
          else if (*text == "0") v = 0;
          else throw EXmlPersistenceError(Format("Invalid boolean value (%s).", text->c_str()));
        }
        P.SetInt(Instance, v);
        return;
      }
      case TPropKind::Enum: {
        if (!P.SetInt) return;
        const auto text = Find(E, P.Name);
        int64_t v = P.Default.value_or(0);
        if (text) {
          bool found = false;
          for (size_t i = 0; i < P.EnumNames->size() && !found; ++i)
            if (SameText((*P.EnumNames)[i], *text)) {
              v = static_cast<int64_t>(i);
              found = true;
            }
          if (!found) throw EXmlPersistenceError(Format("Invalid property element: %s", text->c_str()));
        }
        P.SetInt(Instance, v);
        return;
      }
      case TPropKind::Int64: {
        if (!P.SetInt) return;
        const auto text = Find(E, P.Name);
        if (!text) return;  // absent: unchanged
        int64_t v = 0;
        if (!ParseInteger(*text, INT64_MIN, INT64_MAX, v))
          throw EXmlPersistenceError(Format("Invalid int64 value (%s).", text->c_str()));
        P.SetInt(Instance, v);
        return;
      }
      case TPropKind::Float: {
        if (!P.SetFloat) return;
        const auto text = Find(E, P.Name);
        // The stored form exactly: anything else ("1,5", "1.5abc") is 0.
        double v = 0.0;
        if (text && !ParseFloat(*text, v)) v = 0.0;
        P.SetFloat(Instance, v);
        return;
      }
      case TPropKind::String: {
        if (!P.SetString) return;
        P.SetString(Instance, Find(E, P.Name).value_or(""));
        return;
      }
      case TPropKind::Object: {
        pugi::xml_node c = IndexedChild(E, P.Name);
        if (c) ReadObject(c, P.Object(Instance), *P.ObjectClass);
        return;
      }
      case TPropKind::StringList: {
        if (!P.SetList) return;
        TStringList lines;
        TStringList* list = &lines;
        pugi::xml_node c = IndexedChild(E, P.Name);
        if (!c) {
          P.SetList(Instance, lines);
          return;
        }
        int64_t count = 0;
        if (!ParseInteger(Attribute(c, "Count").value(), 0, INT32_MAX, count)) count = 0;
        // A damaged count must not make the reader allocate without bound.
        constexpr int64_t kMaxLines = 1000000;
        count = std::min(count, kMaxLines);
        for (int64_t i = 0; i < count; ++i) list->Add("");
        for (int64_t i = 0; i < count; ++i) {
          const std::string name = "l" + std::to_string(i);
          if (auto text = Find(c, name.c_str())) (*list)[static_cast<int>(i)] = *text;
        }
        P.SetList(Instance, lines);
        return;
      }
    }
  }

 private:
  bool FAttr;
  // The element whose children FIndex holds (IndexedChild).
  mutable pugi::xml_node FIndexed;
  // Keys are the names inside the document, which outlives the reader.
  mutable std::unordered_map<const char*, pugi::xml_node, TFoldedHash, TFoldedEqual> FIndex;
};

void ReadDocument(const pugi::xml_document& Doc, void* Instance, const TPersistentClass& Class) {
  const pugi::xml_node root = Doc.document_element();
  const std::string format = Attribute(root, "PropFormat").value();
  bool attr = false;
  if (SameText(format, "auto")) throw EXmlPersistenceError("Auto PropFormat not allowed here.");
  if (SameText(format, "attr")) attr = true;
  const pugi::xml_node object = Child(root, Class.Name);
  if (!object) return;
  TReader(attr).ReadObject(object, Instance, Class);
}

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;

}  // namespace

void TXmlObjectReader::ReadFromString(void* Instance, const TPersistentClass& Class, const std::string& Xml) {
  pugi::xml_document doc;
  const pugi::xml_parse_result r = doc.load_buffer(Xml.data(), Xml.size(), kParseOptions, pugi::encoding_utf8);
  if (!r) throw EXmlPersistenceError(Format("Malformed XML at offset %d: %s", static_cast<int>(r.offset), r.description()));
  ReadDocument(doc, Instance, Class);
}

void TXmlObjectReader::ReadFromFile(void* Instance, const TPersistentClass& Class, const std::string& FileName) {
  const std::optional<std::string> text = ReadFileText(FileName);
  if (!text) throw EXmlPersistenceError(Format("Can not open %s", FileName.c_str()));
  ReadFromString(Instance, Class, *text);
}
