/* Test hooks. For test programs only: nothing in a product calls these. */
#ifndef ZV_PLATFORMTESTING_H
#define ZV_PLATFORMTESTING_H

#include "MacTypes.h"

ZV_EXTERN_C_BEGIN

/* Makes NewGWorld fail once with memFullErr: after n more calls have succeeded,
   the next one fails (n = 0: the very next call). Calls rejected for bad
   parameters do not count. n < 0 disarms the hook. */
void ZVFailNewGWorldAfter(int n);

/* Makes the next all-or-nothing file replacement fail at its step-th step,
   counted from 0 over its open, each write, the flush, the rename and the
   folder flush; the old file stays whole. Returns the number of steps the
   last replacement took, so a test can try every one. step < 0 disarms. */
int ZVFailFileReplaceAtStep(int step);

ZV_EXTERN_C_END

#endif
