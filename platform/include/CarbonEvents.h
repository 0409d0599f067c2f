/* Carbon Event Manager: event handlers on windows, command events, custom
   control classes, application-modal loops and mouse tracking.

   Handlers of one target are called newest first; a handler that returns
   eventNotHandledErr passes the event on, and when no handler takes it the
   toolkit does its standard handling (for a control: highlight, track, send
   the control's command).

   Control class events (class kEventClassControl) sent to custom controls:
     kEventControlHitTest  in: DirectObject (typeControlRef), MouseLocation (typeQDPoint)
                           out: ControlPart (typeControlPartCode); 0 = not hit
     kEventControlTrack    in: DirectObject, MouseLocation, KeyModifiers (typeUInt32),
                               ControlAction (typeControlActionUPP)
                           out (optional): ControlPart, the part the release happened in
     kEventControlHit      in: DirectObject, ControlPart, KeyModifiers
                           eventNotHandledErr: the control's command is sent to its window
     kEventControlDraw     in: DirectObject
     kEventControlActivate in: DirectObject; sent when the window is first shown
   kEventControlOwningWindowChanged is accepted in a class's list but never
   sent: controls never move between windows here. */
#ifndef ZV_CARBONEVENTS_H
#define ZV_CARBONEVENTS_H

#include "Controls.h"
#include "CoreFoundation.h"

ZV_EXTERN_C_BEGIN

typedef struct OpaqueEventRef *EventRef;
typedef struct OpaqueEventHandlerRef *EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef *EventHandlerCallRef;
typedef struct OpaqueEventTargetRef *EventTargetRef;
typedef struct OpaqueToolboxObjectClassRef *ToolboxObjectClassRef;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent, void *inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
void DisposeEventHandlerUPP(EventHandlerUPP userUPP);

typedef UInt32 EventParamName;
typedef UInt32 EventParamType;

typedef struct EventTypeSpec {
  UInt32 eventClass;
  UInt32 eventKind;
} EventTypeSpec;

enum {
  kEventClassCommand = ZV_FOURCC('c', 'm', 'd', 's'),
  kEventClassControl = ZV_FOURCC('c', 'n', 't', 'l')
};
enum { kEventCommandProcess = 1 };
enum {
  kEventControlHit = 1,
  kEventControlHitTest = 3,
  kEventControlDraw = 4,
  kEventControlActivate = 9,
  kEventControlTrack = 51,
  kEventControlOwningWindowChanged = 159
};

enum {
  kEventParamDirectObject = ZV_FOURCC('-', '-', '-', '-'),
  kEventParamControlPart = ZV_FOURCC('c', 'p', 'r', 't'),
  kEventParamMouseLocation = ZV_FOURCC('m', 'l', 'o', 'c'),
  kEventParamKeyModifiers = ZV_FOURCC('k', 'm', 'o', 'd'),
  kEventParamControlAction = ZV_FOURCC('c', 'a', 'u', 'p')
};
enum {
  typeControlRef = ZV_FOURCC('c', 't', 'r', 'l'),
  typeQDPoint = ZV_FOURCC('Q', 'D', 'p', 't'),
  typeUInt32 = ZV_FOURCC('m', 'a', 'g', 'n'),
  typeControlPartCode = ZV_FOURCC('c', 'p', 'r', 't'),
  typeControlActionUPP = ZV_FOURCC('c', 'a', 'u', 'p'),
  typeHICommand = ZV_FOURCC('h', 'c', 'm', 'd')
};

enum {
  eventParameterNotFoundErr = -9870,
  eventClassInvalidErr = -9860,
  errEventParameterSizeMismatch = -9863,
  errEventParameterTypeMismatch = -9862,
  toolboxObjectClassExistsErr = -9864
};

/* Key modifier bits of kEventParamKeyModifiers. */
enum { cmdKey = 0x0100, shiftKey = 0x0200, alphaLock = 0x0400, optionKey = 0x0800, controlKey = 0x1000 };

/* No menus here; a 32-bit placeholder keeps HICommand at its 14 bytes. */
typedef UInt32 MenuRef;
typedef UInt16 MenuItemIndex;
#pragma pack(push, 2)
typedef struct HICommand {
  UInt32 attributes;
  UInt32 commandID;
  struct {
    MenuRef menuRef;
    MenuItemIndex menuItemIndex;
  } menu;
} HICommand;
#pragma pack(pop)
enum { kHICommandFromControl = 1 };

UInt32 GetEventKind(EventRef inEvent);
/* Copies at most inBufferSize bytes; the stored size goes to outActualSize. A
   parameter stored with another type gives errEventParameterTypeMismatch. */
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType *outActualType, UInt32 inBufferSize, UInt32 *outActualSize,
                           void *outData);
OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType, UInt32 inSize,
                           const void *inDataPtr);

EventTargetRef GetWindowEventTarget(WindowRef inWindow);
OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler, UInt32 inNumTypes,
                             const EventTypeSpec *inList, void *inUserData, EventHandlerRef *outRef);

/* Custom control classes. A window description may only name a class that is
   registered when the window is made. Unregistering a class that still has
   controls leaves those controls inert (they draw nothing and take no clicks). */
OSStatus RegisterToolboxObjectClass(CFStringRef inClassID, ToolboxObjectClassRef inBaseClass, UInt32 inNumEvents,
                                    const EventTypeSpec *inEventList, EventHandlerUPP inEventHandler,
                                    void *inEventHandlerData, ToolboxObjectClassRef *outClassRef);
OSStatus UnregisterToolboxObjectClass(ToolboxObjectClassRef inClassRef);

/* Runs until QuitAppModalLoopForWindow; loops nest. Input goes to the window
   only. With no window backend started the window gets its cancel command
   ("not!") at once and the loop ends, so a batch job never waits. */
OSStatus RunAppModalLoopForWindow(WindowRef inWindow);
OSStatus QuitAppModalLoopForWindow(WindowRef inWindow);

typedef UInt16 MouseTrackingResult;
enum {
  kMouseTrackingMouseDown = 1,
  kMouseTrackingMouseUp = 2,
  kMouseTrackingMouseExited = 3,
  kMouseTrackingMouseEntered = 4,
  kMouseTrackingMouseDragged = 5
};
/* Waits for the next mouse movement or release while the button is held; the
   point is local to inPort (NULL: the current port). Ends with a release when
   the input runs out. */
OSStatus TrackMouseLocation(GrafPtr inPort, Point *outPt, MouseTrackingResult *outResult);

ZV_EXTERN_C_END

#endif
