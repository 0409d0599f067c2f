// Window descriptions ("nibs"): Resources/<name>.nib in the bundle, XML.
//
//   <nib>
//     <window name="demo" title="Demo" width="400" height="300">
//       <button   signature="butn" number="1" top="10" left="10" bottom="30" right="90"
//                 command="ok  " title="OK" default="yes"/>
//       <checkbox signature="Keep" number="1" ... command="Keep" title="Keep" value="1"/>
//       <popup    signature="Medi" number="1" ... command="Medi" value="2">
//                 <item>NTSC</item><item>PAL</item></popup>
//       <slider   signature="Sldr" number="1" ... minimum="0" maximum="100" value="50" live="yes"/>
//       <text     signature="Lgnd" number="1" ... text="50%"/>
//       <custom   signature="Clip" number="1" ... class="com.example.clip" value="0" maximum="1"/>
//     </window>
//   </nib>
//
// Every control needs top, left, bottom, right (window-local, right and
// bottom exclusive). signature (exactly four characters, blanks allowed) and
// number identify it; a control without a signature cannot be found by
// identifier. command is four characters. All kinds take visible and enabled
// (yes/no, default yes). Buttons take title, default and cancel (yes/no);
// check boxes title and value (0, 1, 2 mixed); pop-ups value (item number, from
// 1) and one or more <item> children; sliders minimum, maximum (default 0 and
// 100), value and live (yes/no); texts text; custom controls class (required),
// value, minimum and maximum (default 0 and 1).
//
// The whole file is checked when it is opened; any fault (bad XML, unknown
// element or attribute, missing or bad number, duplicate identifier, value
// outside its range) fails the open with a message "file:line: fault".
#include <charconv>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include <pugixml.hpp>

#include "paint.h"
#include "toolkit.h"

namespace zv::tk {
namespace {

struct ControlDesc {
  Control proto;
  std::string className;
  int line = 0;
};
struct WindowDesc {
  std::string name, title;
  short width = 0, height = 0;
  std::vector<ControlDesc> controls;
};
struct Nib {
  std::string path;
  std::vector<WindowDesc> windows;
};

std::string gError;

OSStatus Fail(OSStatus code, const std::string &message) {
  gError = message;
  std::fprintf(stderr, "zorvane: %s\n", message.c_str());
  return code;
}

struct Fault {
  int line;
  std::string what;
};

class Reader {
public:
  Reader(const std::string &text, pugi::xml_node node, std::set<std::string> allowed)
      : text_(text), node_(node), allowed_(std::move(allowed)) {
    for (auto a : node.attributes())
      if (!allowed_.count(a.name()))
        throw Fault{line(), "unknown attribute '" + std::string(a.name()) + "' on <" + node.name() + ">"};
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
    if (required && !has(name)) throw Fault{line(), "<" + std::string(node_.name()) + "> lacks the attribute '" + name + "'"};
    return node_.attribute(name).value();
  }
  long number(const char *name, long lo, long hi, long fallback, bool required = false) const {
    if (!has(name)) {
      if (required) throw Fault{line(), "<" + std::string(node_.name()) + "> lacks the attribute '" + name + "'"};
      return fallback;
    }
    std::string s = node_.attribute(name).value();
    long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
      throw Fault{line(), "'" + std::string(name) + "' is not a whole number: \"" + s + "\""};
    if (v < lo || v > hi)
      throw Fault{line(), "'" + std::string(name) + "' " + s + " is outside " + std::to_string(lo) + " to " + std::to_string(hi)};
    return v;
  }
  bool flag(const char *name, bool fallback) const {
    if (!has(name)) return fallback;
    std::string s = node_.attribute(name).value();
    if (s == "yes") return true;
    if (s == "no") return false;
    throw Fault{line(), "'" + std::string(name) + "' must be yes or no, not \"" + s + "\""};
  }
  UInt32 code(const char *name) const {
    std::string s = string(name);
    if (s.size() != 4) throw Fault{line(), "'" + std::string(name) + "' must be four characters, not \"" + s + "\""};
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
    throw Fault{d.line, "'number' without 'signature'"};
  }
  c.bounds.top = static_cast<short>(r.number("top", -32768, 32767, 0, true));
  c.bounds.left = static_cast<short>(r.number("left", -32768, 32767, 0, true));
  c.bounds.bottom = static_cast<short>(r.number("bottom", -32768, 32767, 0, true));
  c.bounds.right = static_cast<short>(r.number("right", -32768, 32767, 0, true));
  if (c.bounds.bottom < c.bounds.top || c.bounds.right < c.bounds.left)
    throw Fault{d.line, "bounds with bottom above top or right left of left"};
  if (r.has("command")) c.command = r.code("command");
  c.visible = r.flag("visible", true);
  c.enabled = r.flag("enabled", true);
  for (auto child : node.children()) {
    if (child.type() == pugi::node_comment) continue;
    if (kind != Kind::Popup || child.type() != pugi::node_element || std::string(child.name()) != "item")
      throw Fault{Reader::LineOf(text, child.offset_debug()),
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
    if (c.items.empty()) throw Fault{d.line, "<popup> without <item>"};
    c.minimum = 1;
    c.maximum = static_cast<SInt32>(c.items.size());
    c.value = static_cast<SInt32>(r.number("value", 1, c.maximum, 1));
    break;
  case Kind::Slider:
  case Kind::Custom:
    c.minimum = static_cast<SInt32>(r.number("minimum", INT32_MIN, INT32_MAX, 0));
    c.maximum = static_cast<SInt32>(r.number("maximum", INT32_MIN, INT32_MAX, kind == Kind::Slider ? 100 : 1));
    if (c.maximum < c.minimum) throw Fault{d.line, "'maximum' below 'minimum'"};
    c.value = static_cast<SInt32>(r.number("value", c.minimum, c.maximum, c.minimum));
    if (kind == Kind::Slider) {
      c.live = r.flag("live", false);
    } else {
      d.className = r.string("class", true);
      if (d.className.empty()) throw Fault{d.line, "'class' is empty"};
    }
    break;
  case Kind::StaticText: c.text = r.string("text"); break;
  case Kind::Swatch:
  case Kind::AlertIcon: break;
  }
  return d;
}

std::unique_ptr<Nib> ReadNib(const std::string &path, const std::string &text) {
  pugi::xml_document doc;
  pugi::xml_parse_result res = doc.load_buffer(text.data(), text.size());
  if (!res) throw Fault{Reader::LineOf(text, res.offset), std::string("not well-formed XML: ") + res.description()};
  auto nib = std::make_unique<Nib>();
  nib->path = path;
  pugi::xml_node root = doc.document_element();
  if (std::string(root.name()) != "nib") throw Fault{Reader::LineOf(text, root.offset_debug()), "the root element must be <nib>"};
  Reader(text, root, {});
  std::set<std::string> names;
  for (auto node : root.children()) {
    if (node.type() == pugi::node_comment) continue;
    int line = Reader::LineOf(text, node.offset_debug());
    if (node.type() != pugi::node_element || std::string(node.name()) != "window")
      throw Fault{line, "unexpected content in <nib>: only <window> elements belong there"};
    Reader r(text, node, {"name", "title", "width", "height"});
    WindowDesc w;
    w.name = r.string("name", true);
    if (w.name.empty()) throw Fault{line, "a window with an empty name"};
    if (!names.insert(w.name).second) throw Fault{line, "a second window named '" + w.name + "'"};
    w.title = r.string("title");
    w.width = static_cast<short>(r.number("width", 1, 8192, 0, true));
    w.height = static_cast<short>(r.number("height", 1, 8192, 0, true));
    std::map<std::pair<OSType, SInt32>, int> ids;
    for (auto cn : node.children()) {
      if (cn.type() == pugi::node_comment) continue;
      int cline = Reader::LineOf(text, cn.offset_debug());
      auto kind = kKinds.find(cn.type() == pugi::node_element ? cn.name() : "");
      if (kind == kKinds.end())
        throw Fault{cline, cn.type() == pugi::node_element ? "unknown control kind <" + std::string(cn.name()) + ">"
                                                           : std::string("unexpected text in <window>")};
      ControlDesc d = ReadControl(text, cn, kind->second);
      if (d.proto.id.signature) {
        auto key = std::make_pair(d.proto.id.signature, d.proto.id.id);
        auto [it, fresh] = ids.emplace(key, d.line);
        if (!fresh)
          throw Fault{d.line, "duplicate control identifier '" + FourCC(key.first) + "' " + std::to_string(key.second) +
                                  " (first on line " + std::to_string(it->second) + ")"};
      }
      w.controls.push_back(std::move(d));
    }
    nib->windows.push_back(std::move(w));
  }
  return nib;
}

std::string CFText(CFStringRef s) {
  char buf[1024];
  return s && CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8) ? std::string(buf) : std::string();
}

}  // namespace
}  // namespace zv::tk

using namespace zv::tk;

namespace zv {

OSStatus CreateNibReferenceFromFile(const std::string &path, IBNibRef *outNibRef) {
  if (!outNibRef) return paramErr;
  *outNibRef = nullptr;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(kIBCarbonRuntimeCantFindNibFile, path + ": cannot open the window description");
  std::stringstream ss;
  ss << in.rdbuf();
  try {
    *outNibRef = reinterpret_cast<IBNibRef>(ReadNib(path, ss.str()).release());
  } catch (const Fault &f) {
    return Fail(kIBCarbonRuntimeMalformedNib, path + ":" + std::to_string(f.line) + ": " + f.what);
  }
  gError.clear();
  return noErr;
}

std::string NibErrorMessage() { return gError; }

}  // namespace zv

extern "C" {

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef *outNibRef) {
  if (outNibRef) *outNibRef = nullptr;
  if (!bundle || !nibName || !outNibRef) return paramErr;
  std::string name = CFText(nibName);
  CFURLRef url = CFBundleCopyResourceURL(bundle, nibName, CFSTR("nib"), nullptr);
  if (!url) return Fail(kIBCarbonRuntimeCantFindNibFile, "no window description " + name + ".nib in the bundle");
  UInt8 path[4096];
  Boolean ok = CFURLGetFileSystemRepresentation(url, true, path, sizeof path);
  CFRelease(url);
  if (!ok) return Fail(kIBCarbonRuntimeCantFindNibFile, "the path of " + name + ".nib is too long");
  return zv::CreateNibReferenceFromFile(reinterpret_cast<const char *>(path), outNibRef);
}

OSStatus CreateWindowFromNib(IBNibRef ref, CFStringRef inName, WindowRef *outWindow) {
  if (outWindow) *outWindow = nullptr;
  auto *nib = reinterpret_cast<Nib *>(ref);
  if (!nib || !inName || !outWindow) return paramErr;
  std::string name = CFText(inName);
  const WindowDesc *desc = nullptr;
  for (auto &w : nib->windows)
    if (w.name == name) desc = &w;
  if (!desc) return Fail(kIBCarbonRuntimeCantFindObject, nib->path + ": no window named '" + name + "'");
  for (auto &d : desc->controls)
    if (d.proto.kind == Kind::Custom && !FindClass(d.className))
      return Fail(kIBCarbonRuntimeCantFindObject, nib->path + ":" + std::to_string(d.line) + ": control class '" +
                                                      d.className + "' is not registered");
  Window *w = NewWindow(desc->name, desc->title, desc->width, desc->height);
  if (!w) return Fail(memFullErr, nib->path + ": no memory for the window '" + name + "'");
  for (auto &d : desc->controls) {
    auto c = std::make_unique<Control>(d.proto);
    if (c->kind == Kind::Custom) c->cls = FindClass(d.className);
    AddControl(*w, std::move(c));
  }
  DrawWindow(*w, false);
  gError.clear();
  *outWindow = Wrap(w);
  return noErr;
}

void DisposeNibReference(IBNibRef ref) { delete reinterpret_cast<Nib *>(ref); }

}  // extern "C"
