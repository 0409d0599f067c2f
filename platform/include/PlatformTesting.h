/* Test hooks. For test programs only: nothing in a product calls these. */
#ifndef ZV_PLATFORMTESTING_H
#define ZV_PLATFORMTESTING_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

/* Makes NewGWorld fail once with memFullErr: after n more calls have succeeded,
   the next one fails (n = 0: the very next call). Calls rejected for bad
   parameters do not count. n < 0 disarms the hook. */
void ZVFailNewGWorldAfter(int n);

ZV_EXTERN_C_END

#endif
