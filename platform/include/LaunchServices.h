/* Launch Services: hands a document to the desktop's opener (xdg-open). In a
   scripted run the request is written to the script's log instead. */
#ifndef ZV_LAUNCHSERVICES_H
#define ZV_LAUNCHSERVICES_H

#include "Folders.h"

ZV_EXTERN_C_BEGIN

enum { kLSApplicationNotFoundErr = -10814 };

/* fnfErr when the file does not exist; outLaunchedRef may be NULL. */
OSStatus LSOpenFSRef(const FSRef *inRef, FSRef *outLaunchedRef);

ZV_EXTERN_C_END

#endif
