/* Stands in for glibc's x86_64 <bits/floatn.h> in the macOS cross-check.
 * glibc offers _Float128 to every clang on x86_64, but clang has no
 * __float128 for Apple targets; with __HAVE_FLOAT128 at 0 the rest of the
 * original's definitions are these. */
#ifndef _BITS_FLOATN_H
#define _BITS_FLOATN_H

#include <features.h>

#define __HAVE_FLOAT128 0
#define __HAVE_DISTINCT_FLOAT128 0
#define __HAVE_FLOAT64X 1
#define __HAVE_FLOAT64X_LONG_DOUBLE 1

#include <bits/floatn-common.h>

#endif /* _BITS_FLOATN_H */
