// The string ids of the file layer's texts (FileStrings.inc). Plain #defines,
// so that resource scripts read them too; the numbers are fixed.
#ifndef ORBIFORM_FILES_FILEIDS_H
#define ORBIFORM_FILES_FILEIDS_H

#define IDS_NOT_A_PROJECT 145
// An export refuses layers that cannot be applied rather than write stale
// coordinates.
#define IDS_LAYER_NOT_APPLIED 156

#endif  // ORBIFORM_FILES_FILEIDS_H
