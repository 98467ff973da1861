// Writing settings objects as XML, byte for byte in the system's two forms.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Common/NumberText.h"
#include "Common/XmlPersistence.h"
#include "Common/NumberText.h"

namespace {

constexpr int kIndentPerLevel = 2;

struct TXmlElement {
  std::string Name;
  std::vector<std::pair<std::string, std::string>> Attributes;
  std::string Text;  // only for text-only elements
  bool HasText = false;
  std::vector<std::unique_ptr<TXmlElement>> Children;

  TXmlElement& Add(const std::string& ChildName) {
    Children.push_back(std::make_unique<TXmlElement>());
    Children.back()->Name = ChildName;
    return *Children.back();
  }
};

std::string Escape(const std::string& S, bool InText) {
  std::string out;
  for (char c : S) {
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\n': out += InText ? "\r\n" : "\n"; break;
      default: out += c;
    }
  }
  return out;
}

class TWriter {
 public:
  explicit TWriter(bool Attr) : FAttr(Attr) {}

  void Put(TXmlElement& E, const std::string& Name, const std::string& Text) {
    if (FAttr) {
      E.Attributes.emplace_back(Name, Text);
      return;
    }
    TXmlElement& child = E.Add(Name);
    child.Text = Text;
    child.HasText = true;
  }

  bool IsEmpty(const TXmlElement& E) const { return FAttr ? E.Attributes.empty() : E.Children.empty(); }

  void WriteObject(TXmlElement& E, const void* Instance, const TPersistentClass& Class) {
    for (const TPersistentProperty& p : Class.Properties) WriteProperty(E, Instance, p);
  }

  void WriteProperty(TXmlElement& E, const void* Instance, const TPersistentProperty& P) {
    switch (P.Kind) {
      case TPropKind::Int32:
      case TPropKind::Bool:
      case TPropKind::Enum: {
        if (!P.GetInt) return;
        const int64_t v = P.GetInt(Instance);
        if (P.Default && *P.Default == v) return;
        if (P.Kind == TPropKind::Bool) Put(E, P.Name, v ? "1" : "0");
        else if (P.Kind == TPropKind::Enum && v >= 0 && static_cast<size_t>(v) < P.EnumNames->size())
          Put(E, P.Name, (*P.EnumNames)[static_cast<size_t>(v)]);
        else Put(E, P.Name, std::to_string(v));
        return;
      }
      case TPropKind::Int64: {
        if (!P.GetInt) return;
        const int64_t v = P.GetInt(Instance);
        if (v != 0) Put(E, P.Name, std::to_string(v));
        return;
      }
      case TPropKind::Float: {
        if (!P.GetFloat) return;
        const double v = P.GetFloat(Instance);
        if (v != 0) Put(E, P.Name, FloatText(v));
        return;
      }
      case TPropKind::String: {
        if (!P.GetString) return;
        const std::string v = P.GetString(Instance);
        if (!v.empty()) Put(E, P.Name, v);
        return;
      }
      case TPropKind::Object: {
        if (!P.Object) return;
        auto child = std::make_unique<TXmlElement>();
        child->Name = P.Name;
        WriteObject(*child, P.Object(const_cast<void*>(Instance)), *P.ObjectClass);
        if (!IsEmpty(*child)) E.Children.push_back(std::move(child));
        return;
      }
      case TPropKind::StringList: {
        if (!P.GetList) return;
        const TStringList* list = &P.GetList(Instance);
        TXmlElement& child = E.Add(P.Name);
        child.Attributes.emplace_back("Count", std::to_string(list->Count()));
        for (int i = 0; i < list->Count(); ++i)
          if (!(*list)[i].empty()) Put(child, "l" + std::to_string(i), (*list)[i]);
        return;
      }
    }
  }

 private:
  bool FAttr;
};

void StartTag(std::string& Out, const TXmlElement& E) {
  Out += "<" + E.Name;
  for (const auto& [k, v] : E.Attributes) Out += " " + k + "=\"" + Escape(v, false) + "\"";
}

void SerializeFlat(std::string& Out, const TXmlElement& E) {
  StartTag(Out, E);
  if (E.HasText) {
    Out += ">" + Escape(E.Text, true) + "</" + E.Name + ">";
  } else if (E.Children.empty()) {
    Out += "/>";
  } else {
    Out += ">";
    for (const auto& c : E.Children) SerializeFlat(Out, *c);
    Out += "</" + E.Name + ">";
  }
}

void SerializeIndented(std::string& Out, const TXmlElement& E, int Level) {
  const std::string indent(static_cast<size_t>(Level * kIndentPerLevel), ' ');
  if (Level > 0) Out += "\r\n" + indent;
  StartTag(Out, E);
  if (E.HasText) {
    Out += ">" + Escape(E.Text, true) + "</" + E.Name + ">";
  } else if (E.Children.empty()) {
    Out += " />";
  } else {
    Out += ">";
    for (const auto& c : E.Children) SerializeIndented(Out, *c, Level + 1);
    Out += "\r\n" + indent + "</" + E.Name + ">";
  }
}

TXmlElement BuildDocument(const void* Instance, const TPersistentClass& Class, TPropFormat Layout) {
  const bool attr = Layout == TPropFormat::Attr;
  TXmlElement root;
  root.Name = "data";
  root.Attributes.emplace_back("PropFormat", attr ? "attr" : "node");
  TWriter writer(attr);
  auto object = std::make_unique<TXmlElement>();
  object->Name = Class.Name;
  writer.WriteObject(*object, Instance, Class);
  if (!writer.IsEmpty(*object)) root.Children.push_back(std::move(object));
  return root;
}

}  // namespace

std::string TXmlObjectWriter::WriteToString(const void* Instance, const TPersistentClass& Class, TPropFormat Layout,
                                            TXmlOutput Output) {
  const TXmlElement root = BuildDocument(Instance, Class, Layout);
  std::string out;
  if (Output == TXmlOutput::Flat) SerializeFlat(out, root);
  else SerializeIndented(out, root, 0);
  return out;
}

void TXmlObjectWriter::WriteToFile(const void* Instance, const TPersistentClass& Class, const std::string& FileName,
                                   TPropFormat Layout, TXmlOutput Output) {
  const std::string text = WriteToString(Instance, Class, Layout, Output);
  // Written beside the file and renamed over it: a crash or a full disk
  // leaves the previous file whole, never half a document.
  const std::string temporary = FileName + ".tmp";
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    written = static_cast<bool>(out);
  }
  std::error_code ec;
  if (written) std::filesystem::rename(temporary, FileName, ec);
  if (!written || ec) {
    std::filesystem::remove(temporary, ec);
    throw EXmlPersistenceError(Format("Unable to write to %s", FileName.c_str()));
  }
}
