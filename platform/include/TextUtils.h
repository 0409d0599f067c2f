/* Text utilities: numbers and length-prefixed strings. */
#ifndef ZV_TEXTUTILS_H
#define ZV_TEXTUTILS_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

void NumToString(long theNum, Str255 theString);

ZV_EXTERN_C_END

#endif
