// Window description text: XML checked element by element.
#include "nib_reader.h"

#include <charconv>
#include <map>
#include <set>

#include <pugixml.hpp>

namespace zv::tk {
namespace {

class Reader {
public:
  Reader(const std::string &text, pugi::xml_node node, std::set<std::string> allowed)
      : text_(text), node_(node), allowed_(std::move(allowed)) {
    for (auto a : node.attributes())
      if (!allowed_.count(a.name()))
        throw NibFault{line(), "unknown attribute '" + std::string(a.name()) + "' on <" + node.name() + ">"};
  }
  int line() const { return LineOf(text_, node_.offset_debug()); }
  static int LineOf(const std::string &text, ptrdiff_t offset) {
    if (offset < 0) return 0;
    int n = 1;
    for (ptrdiff_t i = 0; i < offset && i < static_cast<ptrdiff_t>(text.size()); ++i) n += text[i] == '\n';
    return n;
  }
  bool has(const char *name) const { return !node_.attribute(name).empty(); }
  std::string string(const char *name, bool required = false) const {
    if (required && !has(name)) throw NibFault{line(), "<" + std::string(node_.name()) + "> lacks the attribute '" + name + "'"};
    return node_.attribute(name).value();
  }
  long number(const char *name, long lo, long hi, long fallback, bool required = false) const {
    if (!has(name)) {
      if (required) throw NibFault{line(), "<" + std::string(node_.name()) + "> lacks the attribute '" + name + "'"};
      return fallback;
    }
    std::string s = node_.attribute(name).value();
    long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
      throw NibFault{line(), "'" + std::string(name) + "' is not a whole number: \"" + s + "\""};
    if (v < lo || v > hi)
      throw NibFault{line(), "'" + std::string(name) + "' " + s + " is outside " + std::to_string(lo) + " to " + std::to_string(hi)};
    return v;
  }
  bool flag(const char *name, bool fallback) const {
    if (!has(name)) return fallback;
    std::string s = node_.attribute(name).value();
    if (s == "yes") return true;
    if (s == "no") return false;
    throw NibFault{line(), "'" + std::string(name) + "' must be yes or no, not \"" + s + "\""};
  }
  UInt32 code(const char *name) const {
    std::string s = string(name);
    if (s.size() != 4) throw NibFault{line(), "'" + std::string(name) + "' must be four characters, not \"" + s + "\""};
    return ZV_FOURCC(s[0], s[1], s[2], s[3]);
  }

private:
  const std::string &text_;
  pugi::xml_node node_;
  std::set<std::string> allowed_;
};

const std::map<std::string, Kind> kKinds = {{"button", Kind::Button}, {"checkbox", Kind::CheckBox},
                                            {"popup", Kind::Popup},   {"slider", Kind::Slider},
                                            {"text", Kind::StaticText}, {"custom", Kind::Custom}};

ControlDesc ReadControl(const std::string &text, pugi::xml_node node, Kind kind) {
  std::set<std::string> allowed = {"signature", "number", "top", "left", "bottom", "right", "command", "visible", "enabled"};
  switch (kind) {
  case Kind::Button: allowed.insert({"title", "default", "cancel"}); break;
  case Kind::CheckBox: allowed.insert({"title", "value"}); break;
  case Kind::Popup: allowed.insert("value"); break;
  case Kind::Slider: allowed.insert({"minimum", "maximum", "value", "live"}); break;
  case Kind::StaticText: allowed.insert("text"); break;
  case Kind::Custom: allowed.insert({"class", "value", "minimum", "maximum"}); break;
  case Kind::Swatch:
  case Kind::AlertIcon: break;
  }
  Reader r(text, node, allowed);
  ControlDesc d;
  d.line = r.line();
  Control &c = d.proto;
  c.kind = kind;
  if (r.has("signature")) {
    c.id.signature = r.code("signature");
    c.id.id = static_cast<SInt32>(r.number("number", INT32_MIN, INT32_MAX, 0, true));
  } else if (r.has("number")) {
    throw NibFault{d.line, "'number' without 'signature'"};
  }
  c.bounds.top = static_cast<short>(r.number("top", -32768, 32767, 0, true));
  c.bounds.left = static_cast<short>(r.number("left", -32768, 32767, 0, true));
  c.bounds.bottom = static_cast<short>(r.number("bottom", -32768, 32767, 0, true));
  c.bounds.right = static_cast<short>(r.number("right", -32768, 32767, 0, true));
  if (c.bounds.bottom < c.bounds.top || c.bounds.right < c.bounds.left)
    throw NibFault{d.line, "bounds with bottom above top or right left of left"};
  if (r.has("command")) c.command = r.code("command");
  c.visible = r.flag("visible", true);
  c.enabled = r.flag("enabled", true);
  for (auto child : node.children()) {
    if (child.type() == pugi::node_comment) continue;
    if (kind != Kind::Popup || child.type() != pugi::node_element || std::string(child.name()) != "item")
      throw NibFault{Reader::LineOf(text, child.offset_debug()),
                  "unexpected content in <" + std::string(node.name()) + ">"};
    Reader item(text, child, {});
    c.items.push_back(child.text().get());
  }
  switch (kind) {
  case Kind::Button:
    c.text = r.string("title");
    c.isDefault = r.flag("default", false);
    c.isCancel = r.flag("cancel", false);
    break;
  case Kind::CheckBox:
    c.text = r.string("title");
    c.maximum = 2;
    c.value = static_cast<SInt32>(r.number("value", 0, 2, 0));
    break;
  case Kind::Popup:
    if (c.items.empty()) throw NibFault{d.line, "<popup> without <item>"};
    c.minimum = 1;
    c.maximum = static_cast<SInt32>(c.items.size());
    c.value = static_cast<SInt32>(r.number("value", 1, c.maximum, 1));
    break;
  case Kind::Slider:
  case Kind::Custom:
    c.minimum = static_cast<SInt32>(r.number("minimum", INT32_MIN, INT32_MAX, 0));
    c.maximum = static_cast<SInt32>(r.number("maximum", INT32_MIN, INT32_MAX, kind == Kind::Slider ? 100 : 1));
    if (c.maximum < c.minimum) throw NibFault{d.line, "'maximum' below 'minimum'"};
    c.value = static_cast<SInt32>(r.number("value", c.minimum, c.maximum, c.minimum));
    if (kind == Kind::Slider) {
      c.live = r.flag("live", false);
    } else {
      d.className = r.string("class", true);
      if (d.className.empty()) throw NibFault{d.line, "'class' is empty"};
    }
    break;
  case Kind::StaticText: c.text = r.string("text"); break;
  case Kind::Swatch:
  case Kind::AlertIcon: break;
  }
  return d;
}

}  // namespace

std::unique_ptr<Nib> ReadNib(const std::string &path, const std::string &text) {
  pugi::xml_document doc;
  pugi::xml_parse_result res = doc.load_buffer(text.data(), text.size());
  if (!res) throw NibFault{Reader::LineOf(text, res.offset), std::string("not well-formed XML: ") + res.description()};
  auto nib = std::make_unique<Nib>();
  nib->path = path;
  pugi::xml_node root = doc.document_element();
  if (std::string(root.name()) != "nib") throw NibFault{Reader::LineOf(text, root.offset_debug()), "the root element must be <nib>"};
  Reader(text, root, {});
  std::set<std::string> names;
  for (auto node : root.children()) {
    if (node.type() == pugi::node_comment) continue;
    int line = Reader::LineOf(text, node.offset_debug());
    if (node.type() != pugi::node_element || std::string(node.name()) != "window")
      throw NibFault{line, "unexpected content in <nib>: only <window> elements belong there"};
    Reader r(text, node, {"name", "title", "width", "height"});
    WindowDesc w;
    w.name = r.string("name", true);
    if (w.name.empty()) throw NibFault{line, "a window with an empty name"};
    if (!names.insert(w.name).second) throw NibFault{line, "a second window named '" + w.name + "'"};
    w.title = r.string("title");
    w.width = static_cast<short>(r.number("width", 1, 8192, 0, true));
    w.height = static_cast<short>(r.number("height", 1, 8192, 0, true));
    std::map<std::pair<OSType, SInt32>, int> ids;
    for (auto cn : node.children()) {
      if (cn.type() == pugi::node_comment) continue;
      int cline = Reader::LineOf(text, cn.offset_debug());
      auto kind = kKinds.find(cn.type() == pugi::node_element ? cn.name() : "");
      if (kind == kKinds.end())
        throw NibFault{cline, cn.type() == pugi::node_element ? "unknown control kind <" + std::string(cn.name()) + ">"
                                                           : std::string("unexpected text in <window>")};
      ControlDesc d = ReadControl(text, cn, kind->second);
      if (d.proto.id.signature) {
        auto key = std::make_pair(d.proto.id.signature, d.proto.id.id);
        auto [it, fresh] = ids.emplace(key, d.line);
        if (!fresh)
          throw NibFault{d.line, "duplicate control identifier '" + FourCC(key.first) + "' " + std::to_string(key.second) +
                                  " (first on line " + std::to_string(it->second) + ")"};
      }
      w.controls.push_back(std::move(d));
    }
    nib->windows.push_back(std::move(w));
  }
  return nib;
}

}  // namespace zv::tk
