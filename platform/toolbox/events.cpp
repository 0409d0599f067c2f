// Carbon events: event records with typed parameters, handlers on window
// targets, and the toolbox object classes behind custom controls.
#include <algorithm>
#include <cstring>

#include "toolkit.h"

namespace zv::tk {

namespace {
std::vector<std::unique_ptr<ToolboxClass>> &Classes() {
  static std::vector<std::unique_ptr<ToolboxClass>> classes;
  return classes;
}

std::string CString(CFStringRef s) {
  if (!s) return {};
  char buf[512];
  return CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8) ? std::string(buf) : std::string();
}
}  // namespace

void Event::set(EventParamName name, EventParamType type, const void *data, size_t size) {
  auto p = static_cast<const uint8_t *>(data);
  params[name] = EventParam{type, std::vector<uint8_t>(p, p + size)};
}

bool HandlerRec::wants(UInt32 cls, UInt32 kind) const {
  return std::any_of(types.begin(), types.end(),
                     [&](const EventTypeSpec &t) { return t.eventClass == cls && t.eventKind == kind; });
}

OSStatus SendToTarget(EventTarget &target, Event &event) {
  // Snapshot the procedures: a handler may install another one meanwhile.
  std::vector<HandlerRec> recs;
  for (auto &h : target.handlers)
    if (h->wants(event.eventClass, event.kind)) recs.push_back(*h);
  for (auto it = recs.rbegin(); it != recs.rend(); ++it) {
    OSStatus st = it->proc(nullptr, Wrap(&event), it->userData);
    if (st != eventNotHandledErr) return st;
  }
  return eventNotHandledErr;
}

ToolboxClass *FindClass(const std::string &id) {
  for (auto &c : Classes())
    if (c->id == id) return c.get();
  return nullptr;
}

}  // namespace zv::tk

using namespace zv::tk;

extern "C" {

EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine) { return userRoutine; }
void DisposeEventHandlerUPP(EventHandlerUPP) {}

UInt32 GetEventKind(EventRef e) { return e ? Unwrap(e)->kind : 0; }

OSStatus GetEventParameter(EventRef e, EventParamName name, EventParamType desired, EventParamType *actualType,
                           UInt32 bufferSize, UInt32 *actualSize, void *data) {
  if (!e) return paramErr;
  auto &params = Unwrap(e)->params;
  auto it = params.find(name);
  if (it == params.end()) return eventParameterNotFoundErr;
  const EventParam &p = it->second;
  if (desired != p.type) return errEventParameterTypeMismatch;
  if (actualType) *actualType = p.type;
  if (actualSize) *actualSize = static_cast<UInt32>(p.bytes.size());
  if (data) std::memcpy(data, p.bytes.data(), std::min<size_t>(bufferSize, p.bytes.size()));
  return noErr;
}

OSStatus SetEventParameter(EventRef e, EventParamName name, EventParamType type, UInt32 size, const void *data) {
  if (!e || (!data && size)) return paramErr;
  Unwrap(e)->set(name, type, data, size);
  return noErr;
}

EventTargetRef GetWindowEventTarget(WindowRef ref) {
  Window *w = LiveWindow(ref);
  return w ? reinterpret_cast<EventTargetRef>(&w->target) : nullptr;
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 numTypes,
                             const EventTypeSpec *list, void *userData, EventHandlerRef *outRef) {
  Window *w = LiveWindowOfTarget(target);
  if (!w || !handler || (numTypes && !list)) return paramErr;
  auto rec = std::make_unique<HandlerRec>(HandlerRec{handler, std::vector<EventTypeSpec>(list, list + numTypes), userData});
  if (outRef) *outRef = reinterpret_cast<EventHandlerRef>(rec.get());
  w->target.handlers.push_back(std::move(rec));
  return noErr;
}

OSStatus RegisterToolboxObjectClass(CFStringRef classID, ToolboxObjectClassRef, UInt32 numEvents,
                                    const EventTypeSpec *list, EventHandlerUPP handler, void *userData,
                                    ToolboxObjectClassRef *outClassRef) {
  std::string id = CString(classID);
  if (id.empty() || !handler || (numEvents && !list)) return paramErr;
  if (FindClass(id)) return toolboxObjectClassExistsErr;
  auto cls = std::make_unique<ToolboxClass>(
      ToolboxClass{id, std::vector<EventTypeSpec>(list, list + numEvents), handler, userData});
  if (outClassRef) *outClassRef = reinterpret_cast<ToolboxObjectClassRef>(cls.get());
  Classes().push_back(std::move(cls));
  return noErr;
}

OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef ref) {
  auto &cs = Classes();
  auto it = std::find_if(cs.begin(), cs.end(),
                         [&](auto &c) { return reinterpret_cast<ToolboxObjectClassRef>(c.get()) == ref; });
  if (it == cs.end()) return paramErr;
  ForgetClass(it->get());
  cs.erase(it);
  return noErr;
}

}  // extern "C"
