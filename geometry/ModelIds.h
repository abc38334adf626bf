// The string ids of the texts the model throws, in every program that links
// the model (its texts: ModelStrings.inc). Plain #defines, so that resource
// scripts read them too; the numbers are fixed, translations refer to them.
#ifndef ORBIFORM_GEOMETRY_MODELIDS_H
#define ORBIFORM_GEOMETRY_MODELIDS_H

#define IDS_POINTS_RANGE 159
#define IDS_RADIUS_POSITIVE 160
#define IDS_ELLIPSE_POSITIVE 161
#define IDS_SPHERE_DEGREE 162
#define IDS_SPHERE_PLAINS 163
#define IDS_RING_INVALID 199
#define IDS_DEGREE_RANGE 200
#define IDS_MINIMUM_SPAN 201
#define IDS_NO_SUCH_LAYER 202
#define IDS_TOO_MANY_POINTS 203
#define IDS_POINT_RANGE 204
#define IDS_PLAIN_RANGE 205
#define IDS_NOT_FINITE 230

#endif  // ORBIFORM_GEOMETRY_MODELIDS_H
