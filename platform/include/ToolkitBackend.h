/* The host's switch for the window toolkit (our own, not a toolbox service).
   Until a backend is started, windows exist and draw offscreen only, alerts go
   to standard error and are answered with their default button, and modal
   loops end at once with the window's cancel command.

   Backends:
     "sdl"     real windows on the screen for people.
     "script"  events read from a text script (one command a line); messages,
               failures and recorded requests go to the log stream. */
#ifndef ZV_TOOLKITBACKEND_H
#define ZV_TOOLKITBACKEND_H

#include <stdio.h>
#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

/* scriptPath and log are for "script" only (log NULL: standard error).
   paramErr for an unknown name or a second start, fnfErr for an unreadable
   script, ioErr when the screen cannot be opened. */
OSStatus ZvToolkitStart(const char *backendName, const char *scriptPath, FILE *log);
/* Stops the backend. For a script, lines that never ran count as a failure:
   the program ended before the script did. Returns ZvToolkitFailed(). */
int ZvToolkitStop(void);
/* Non-zero once a script line failed (bad line or failed expectation); the
   host then exits non-zero. */
int ZvToolkitFailed(void);

ZV_EXTERN_C_END

#ifdef __cplusplus
#include <string>
#include "Controls.h"
namespace zv {
/* Inspection for the host and tests. */
WindowRef FrontWindow();              /* topmost shown window, or NULL */
std::string WindowName(WindowRef w);  /* description name; "alert", "colorpicker" for ours */
std::string ControlText(ControlRef c); /* title or text, UTF-8 */
bool ControlVisible(ControlRef c);
}
#endif

#endif
