// The version every program of the release carries in its version resource.
// A resource script may define both before it includes this (a build of
// another version from the same sources).
#ifndef ORBIFORM_PRODUCT_VERSION_H
#define ORBIFORM_PRODUCT_VERSION_H

#ifndef ORBIFORM_VERSION
#define ORBIFORM_VERSION 2, 1, 0, 0
#define ORBIFORM_VERSION_TEXT "2.1.0"
#endif

#endif  // ORBIFORM_PRODUCT_VERSION_H
