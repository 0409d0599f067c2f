/* Process Manager. */
#ifndef ZV_PROCESSES_H
#define ZV_PROCESSES_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

/* Ends the process at once with a non-zero status; nothing is cleaned up. */
void ExitToShell(void) __attribute__((noreturn));

ZV_EXTERN_C_END

#endif
