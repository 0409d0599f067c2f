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
#include <cstdio>
#include <fstream>
#include <sstream>

#include "nib_reader.h"
#include "paint.h"
#include "toolkit.h"

namespace zv::tk {
namespace {

std::string gError;

OSStatus Fail(OSStatus code, const std::string &message) {
  gError = message;
  std::fprintf(stderr, "zorvane: %s\n", message.c_str());
  return code;
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
  } catch (const NibFault &f) {
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
