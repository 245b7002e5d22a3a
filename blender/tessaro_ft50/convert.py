"""The host's frame in Blender's, as the glTF export converts it.

The host's frame is left-handed with y up, in centimetres; Blender's is
right-handed with z up, in metres. Swapping y and z converts one into the
other: a position (x, y, z) becomes s (x, z, y) with s the unit scale, and a
rotation M becomes C M C with C that swap. The host's rotation (heading,
pitch, bank) is Ry(-h) Rx(-p) Rz(-b) in its frame, so in Blender's it is
Rz(h) Rx(p) Ry(b): Euler angles (p, b, h) in the order 'YXZ', which keeps
the host's own per-component interpolation of rotation keys exact.
"""
import math

from mathutils import Euler, Matrix, Vector

UNIT = 0.01  # metres per host unit, as the glTF export's default

POSITION_TRACK, ROTATION_TRACK = 903, 904
# Host component (1000 x, 1001 y, 1002 z) to Blender's location index, and
# host angle (1000 heading, 1001 pitch, 1002 bank) to Blender's Euler index.
LOCATION_INDEX = {1000: 0, 1001: 2, 1002: 1}
EULER_INDEX = {1000: 2, 1001: 0, 1002: 1}
ROTATION_MODE = "YXZ"

# Blender's cameras and lights look down their -Z; the host's down its +z
# (Blender's +Y once converted): a quarter turn about x in front of them.
LOOK_FIX = Matrix.Rotation(math.pi / 2, 4, "X")


LAST_FRAME = 1048574  # Blender's frames run from -1048574 to this


def frame_ok(frame):
    return math.isfinite(frame) and -LAST_FRAME <= frame <= LAST_FRAME


def finite(values):
    return all(isinstance(v, (int, float)) and math.isfinite(v) for v in values)


def position(v, scale=UNIT):
    return Vector((v[0] * scale, v[2] * scale, v[1] * scale))


def euler(hpb):
    return Euler((hpb[1], hpb[2], hpb[0]), ROTATION_MODE)


def size(v):
    return Vector((v[0], v[2], v[1]))


def seconds(time):
    """A host time [numerator, denominator] in seconds, or None."""
    if not isinstance(time, list) or len(time) != 2 or not time[1]:
        return None
    s = time[0] / time[1]
    return s if math.isfinite(s) else None
