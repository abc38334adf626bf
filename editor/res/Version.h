// The version every program of the release carries in its version resource.
#ifndef ORBIFORM_EDITOR_RES_VERSION_H
#define ORBIFORM_EDITOR_RES_VERSION_H

#define ORBIFORM_VERSION 2, 1, 0, 0
#define ORBIFORM_VERSION_TEXT "2.1.0"

#endif  // ORBIFORM_EDITOR_RES_VERSION_H
