# Imports glTF exports into Blender with Blender's own glTF importer and
# compares what Blender sees with the documents they were exported from.
#
#   blender -b --factory-startup --python-exit-code 1 --python scripts/blender_check.py -- \
#       WORK SOURCE REPORT NAME...
#
# WORK holds NAME.glb and NAME.json (the host's document of the same import)
# for each NAME; SOURCE is the folder of the FT50 files (named in messages
# about texture files); REPORT receives one line per example, the problems
# under it, and a closing "N passed, M failed". Exits 1 on any failure.
#
# Every expectation is computed from the document, never from the glTF file.
# The rules it takes from the host:
#
# - Units: the host works in centimetres; a viewer shows metres, so one
#   document unit is 0.01 m.
# - Axes: the host's frame is left-handed (x right, y up, z away from the
#   viewer). The export mirrors z into glTF's right-handed y-up frame, and
#   Blender's importer turns y-up into z-up, glTF (x, y, z) -> (x, -z, y).
#   Together a host point (x, y, z) shows in Blender at (x, z, y) * 0.01:
#   host y is Blender +z, host z is Blender +y (seen on scene.ft50: Leg 3 at
#   host (55, 36.5, 35) lands at Blender (55, 35, 36.5), before units). Two
#   axes swapped, which is what turns left-handed into right-handed.
# - Rotation: (heading, pitch, bank) = (h, p, b) in radians; with the
#   right-hand-rule matrices Rx, Ry, Rz applied to the host's coordinate
#   numbers, M = Ry(-h) Rx(-p) Rz(-b): a positive pitch raises +z towards
#   +y, a heading of 90 degrees takes +z to -x.
# - Placement: an object's world matrix is its parent's, times translate(pos),
#   times M, times scale. Position and rotation tracks (903, 904; components
#   1000-1002) give pos and rot at time 0: linear between keys, held before
#   the first key and after the last.
# - Cameras look along their local +z with +y up; their frame is 4:3, the
#   film the aperture wide: tan(half vertical view) = 0.75 * aperture /
#   (2 * focus). Lights shine along their local +z.
# - Meshes: a polygon [a, b, c, d] is two triangles (a, b, c), (a, c, d), or
#   one when c == d. A spline with points is a line strip through them.
# - A mesh takes the material of its last texture tag that names one; a
#   material's colour channel texture must reach the viewer with its pixels
#   on a mesh with UVs (one without takes the material without its texture).
#
# What Blender adds of its own, and is allowed for: object names are at most
# 63 bytes and unique (namesakes get ".001", ...); its importer keeps only
# the vertices the faces use and may split a point per UV or normal; it puts
# glTF time t at frame t * fps, so time 0 is frame 0; it ignores the camera's
# aspect ratio, so the scene's render size is set to the host's 4:3 frame
# before cameras are asked what they see.
import json
import math
import os
import sys
import traceback

import bpy
import numpy
from bpy_extras.object_utils import world_to_camera_view
from mathutils import Matrix, Vector
from mathutils.kdtree import KDTree

# Debian's Blender 3.4 importer still asks numpy for np.bool, which numpy
# 1.24 removed; it meant the builtin.
if "bool" not in vars(numpy):
    numpy.bool = bool

UNIT = 0.01  # metres per document unit
DISTANCE_TOLERANCE = 1e-4  # metres, and as much again per metre of size
ANGLE_TOLERANCE = 0.05  # degrees
FRAME_TOLERANCE = 2e-3  # of the frame's width or height
COLOUR_TOLERANCE = 2e-3
NAME_BYTES = 63

OBJECT_CAMERA, OBJECT_LIGHT = 5103, 5102
TAG_POINTS, TAG_POLYGONS, TAG_UVW, TAG_TEXTURE = 5600, 5604, 5671, 5616
LIGHT_TYPES = {0: "POINT", 1: "SPOT", 4: "SUN"}


# ---- the document ------------------------------------------------------------


def real(v):
    if isinstance(v, str):
        return float(v)  # "nan", "inf", "-inf"
    return float(v)


def finite(*values):
    return all(math.isfinite(v) for v in values)


def vec3(v, preset):
    if not isinstance(v, list) or len(v) != 3:
        return preset
    return [real(x) for x in v]


def host_rotation(h, p, b):
    return Matrix.Rotation(-h, 4, "Y") @ Matrix.Rotation(-p, 4, "X") @ Matrix.Rotation(-b, 4, "Z")


def to_blender(v):
    """A host point (document units) as a Blender point (metres)."""
    return Vector((v[0], v[2], v[1])) * UNIT


def direction_to_blender(v):
    return Vector((v[0], v[2], v[1])).normalized()


def track_at_zero(obj, track, component, still):
    keys = []
    for t in obj.get("tracks", []):
        if t.get("id") != [track, component]:
            continue
        for s in t.get("sequences", []):
            for k in s.get("keys", []):
                n, d = (real(x) for x in k["time"])
                if d == 0 or not k.get("data"):
                    continue
                time, value = n / d, real(k["data"][0])
                if finite(time, value):
                    keys.append((time, value))
    if not keys:
        return still
    keys.sort(key=lambda k: k[0])
    if 0 <= keys[0][0]:
        return keys[0][1]
    if 0 >= keys[-1][0]:
        return keys[-1][1]
    for (t0, v0), (t1, v1) in zip(keys, keys[1:]):
        if t0 <= 0 <= t1:
            return v1 if t1 == t0 else v0 + (v1 - v0) * (0 - t0) / (t1 - t0)
    return still


class DocObject:
    def __init__(self, data, parent, index):
        self.data = data
        self.parent = parent
        self.type = data["type"]
        self.name = data.get("name", "")
        self.path = (parent.path + "/" if parent else "") + (self.name or "#%d" % index)
        pos = vec3(data.get("pos"), [0.0, 0.0, 0.0])
        rot = vec3(data.get("rot"), [0.0, 0.0, 0.0])
        scale = vec3(data.get("scale"), [1.0, 1.0, 1.0])
        pos = [track_at_zero(data, 903, 1000 + i, pos[i]) for i in range(3)]
        rot = [track_at_zero(data, 904, 1000 + i, rot[i]) for i in range(3)]
        self.rot = rot
        local = Matrix.Translation(Vector(pos)) @ host_rotation(*rot)
        for i in range(3):
            local[i][0] *= scale[0]
            local[i][1] *= scale[1]
            local[i][2] *= scale[2]
        self.world = (parent.world if parent else Matrix.Identity(4)) @ local
        self.children = []
        self.blender = None
        self._geometry()

    def tags(self, kind):
        return [t for t in self.data.get("tags", []) if t.get("type") == kind]

    def _geometry(self):
        """self.kind: mesh, line, camera, light or empty; with the points a
        viewer draws and the triangles it shows."""
        points_tag = self.tags(TAG_POINTS)
        points = [vec3(p, [0.0, 0.0, 0.0]) for p in (points_tag[-1].get("points", []) if points_tag else [])]
        polygons_tag = self.tags(TAG_POLYGONS)
        polygons = polygons_tag[-1].get("polygons", []) if polygons_tag else []
        self.triangles = 0
        used = set()
        if points:
            for a, b, c, d in polygons:
                if not all(0 <= i < len(points) for i in (a, b, c, d)):
                    continue  # the export leaves out corners that name no point
                for tri in ((a, b, c),) if c == d else ((a, b, c), (a, c, d)):
                    # Blender drops a face that uses a point twice.
                    if len(set(tri)) == 3:
                        self.triangles += 1
                        used.update(tri)
        if self.type == OBJECT_CAMERA:
            self.kind = "camera"
        elif self.type == OBJECT_LIGHT:
            self.kind = "light"
        elif self.triangles:
            self.kind = "mesh"
        elif "spline" in self.data and len(points) >= 2:
            self.kind = "line"
            used = set(range(len(points)))
        else:
            self.kind = "empty"
        self.points = [self.world @ Vector(points[i]) for i in sorted(used)]
        self.point_count = len(used)

    def param(self, key, preset=None):
        return self.data.get("params", {}).get(key, preset)


def read_document(path):
    with open(path, encoding="utf-8") as f:
        doc = json.load(f)
    order = []

    def walk(items, parent):
        for i, item in enumerate(items):
            o = DocObject(item, parent, i)
            order.append(o)
            if parent:
                parent.children.append(o)
            walk(item.get("children", []), o)

    walk(doc.get("objects", []), None)
    return doc, order


def blender_name(name):
    """The name Blender gives a node of this name, but for namesakes."""
    out = b""
    for ch in name:
        b = ch.encode("utf-8")
        if len(out) + len(b) > NAME_BYTES:
            break
        out += b
    return out.decode("utf-8")


# ---- what Blender sees ------------------------------------------------------------


def fmt(v, digits=4):
    return "(" + ", ".join("%.*f" % (digits, x) for x in v) + ")"


def close(a, b, size=0.0):
    return (a - b).length <= DISTANCE_TOLERANCE * (1 + size)


def angle_between(a, b):
    return math.degrees(a.angle(b, 0.0)) if a.length and b.length else 180.0


def world_vertices(obj):
    m = obj.matrix_world
    return [m @ v.co for v in obj.data.vertices]


def bounds(points):
    lo = Vector((min(p[i] for p in points) for i in range(3)))
    hi = Vector((max(p[i] for p in points) for i in range(3)))
    return lo, hi


def corners(lo, hi):
    return [Vector((x, y, z)) for x in (lo.x, hi.x) for y in (lo.y, hi.y) for z in (lo.z, hi.z)]


class Example:
    def __init__(self, name, work, source):
        self.name = name
        self.work = work
        self.source = source
        self.problems = []
        self.notes = []
        self.looked_at = set()  # materials whose look was checked

    def problem(self, text):
        self.problems.append(text)

    def run(self):
        doc, order = read_document(os.path.join(self.work, self.name + ".json"))
        self.doc, self.order = doc, order
        bpy.ops.wm.read_factory_settings(use_empty=True)
        result = bpy.ops.import_scene.gltf(filepath=os.path.join(self.work, self.name + ".glb"))
        if "FINISHED" not in result:
            self.problem("Blender's glTF importer did not finish: %s" % sorted(result))
            return
        scene = bpy.context.scene
        scene.frame_set(0)  # time 0
        scene.render.resolution_x, scene.render.resolution_y = 1440, 1080  # the host's 4:3 frame
        scene.render.pixel_aspect_x = scene.render.pixel_aspect_y = 1
        bpy.context.view_layer.update()
        self.match(order)
        for o in order:
            if o.blender is not None:
                self.check_object(o)
        for o in order:
            if o.kind == "camera" and o.blender is not None and o.blender.type == "CAMERA":
                self.check_view(o, order)

    # Document objects to Blender objects: by name (Blender's suffix allowed
    # only for namesakes), then the unnamed by parent; then the hierarchy.
    def match(self, order):
        objects = sorted(bpy.data.objects, key=lambda o: o.name)
        taken = set()
        counts = {}
        for o in order:
            counts[blender_name(o.name)] = counts.get(blender_name(o.name), 0) + 1

        def parent_fits(o, b):
            want = o.parent.blender if o.parent else None
            return o.parent is not None and want is None or b.parent == want

        for o in order:
            if not o.name:
                continue
            base = blender_name(o.name)
            names = [b for b in objects if b.name_full not in taken and
                     (b.name == base or counts[base] > 1 and b.name[:-4] == base and
                      b.name[-4] == "." and b.name[-3:].isdigit())]
            fits = [b for b in names if parent_fits(o, b)] or names
            if not fits:
                self.problem("'%s': no object named '%s' in Blender (%s object)" % (o.path, base, o.kind))
                continue
            o.blender = fits[0]
            taken.add(fits[0].name_full)
        for o in order:
            if o.name:
                continue
            rest = [b for b in objects if b.name_full not in taken and parent_fits(o, b)]
            if not rest:
                self.problem("'%s': no unnamed object to match in Blender (%s object)" % (o.path, o.kind))
                continue
            o.blender = rest[0]
            taken.add(rest[0].name_full)
        for o in order:
            if o.blender is None:
                continue
            want = o.parent.blender if o.parent else None
            got = o.blender.parent
            if got != want:
                self.problem("'%s': parent in Blender is %s, expected %s" % (
                    o.path, "'%s'" % got.name if got else "none (top level)",
                    "'%s'" % want.name if want else ("none (top level)" if not o.parent else
                                                     "'%s' (not found)" % o.parent.path)))
        for b in objects:
            if b.name_full not in taken:
                self.problem("Blender has an object the document does not: '%s' (%s)" % (b.name, b.type))

    def check_object(self, o):
        b = o.blender
        want_type = {"mesh": "MESH", "line": "MESH", "camera": "CAMERA", "light": "LIGHT", "empty": "EMPTY"}[o.kind]
        if b.type != want_type:
            what = {"mesh": "a mesh of %d triangles" % o.triangles,
                    "line": "a line strip through %d points" % o.point_count,
                    "camera": "a camera", "light": "a light", "empty": "an empty (no geometry)"}[o.kind]
            self.problem("'%s': Blender shows %s, expected %s" % (o.path, b.type, what))
        # Where it stands, in metres.
        want = to_blender(o.world.translation)
        got = b.matrix_world.translation
        if not close(got, want, want.length):
            self.problem("'%s': origin at %s m, expected %s m (document %s cm)" % (
                o.path, fmt(got), fmt(want), fmt(o.world.translation, 2)))
        if b.type == "MESH" and o.kind in ("mesh", "line"):
            self.check_geometry(o, b)
        if o.kind == "mesh" and b.type == "MESH":
            self.check_material(o, b)
        if o.kind == "camera" and b.type == "CAMERA":
            self.check_camera(o, b)
        if o.kind == "light" and b.type == "LIGHT":
            self.check_light(o, b)

    def check_geometry(self, o, b):
        mesh = b.data
        faces, edges, verts = len(mesh.polygons), len(mesh.edges), len(mesh.vertices)
        if o.kind == "mesh":
            if faces != o.triangles:
                self.problem("'%s': %d faces, expected %d triangles" % (o.path, faces, o.triangles))
            bigger = [len(p.vertices) for p in mesh.polygons if len(p.vertices) != 3]
            if bigger:
                self.problem("'%s': %d faces are not triangles (first has %d corners)" % (
                    o.path, len(bigger), bigger[0]))
        else:
            if faces:
                self.problem("'%s': %d faces, expected a line strip (no faces)" % (o.path, faces))
            if edges < o.point_count - 1:
                self.problem("'%s': %d edges, expected at least %d for a line strip through %d points" % (
                    o.path, edges, o.point_count - 1, o.point_count))
        if verts < o.point_count:
            self.problem("'%s': %d vertices, expected at least the %d points the document uses" % (
                o.path, verts, o.point_count))
        if not verts or not o.points:
            return
        # Dimensions: the world-space box, and every point where it belongs.
        have = world_vertices(b)
        want = [to_blender(p) for p in o.points]
        (glo, ghi), (wlo, whi) = bounds(have), bounds(want)
        size = (whi - wlo).length
        if not close(glo, wlo, size) or not close(ghi, whi, size):
            self.problem("'%s': world box %s to %s m (size %s), expected %s to %s m (size %s)" % (
                o.path, fmt(glo), fmt(ghi), fmt(ghi - glo), fmt(wlo), fmt(whi), fmt(whi - wlo)))
            return
        tree = KDTree(len(have))
        for i, v in enumerate(have):
            tree.insert(v, i)
        tree.balance()
        worst, where = 0.0, None
        for p in want:
            _, _, distance = tree.find(p)
            if distance > worst:
                worst, where = distance, p
        if worst > DISTANCE_TOLERANCE * (1 + size):
            self.problem("'%s': no vertex within %.4f m of the document's point at %s m (the box matches)" % (
                o.path, worst, fmt(where)))

    def material_of(self, o):
        materials = self.doc.get("materials", [])
        found = None
        for t in o.tags(TAG_TEXTURE):
            ref = t.get("material")
            if isinstance(ref, int) and 0 <= ref < len(materials):
                found = (ref, materials[ref])
            elif isinstance(ref, str):
                for i, m in enumerate(materials):
                    if m.get("name", "") == ref:
                        found = (i, m)
                        break
        return found

    def check_material(self, o, b):
        found = self.material_of(o)
        slots = [s.material for s in b.material_slots if s.material]
        if found is None:
            if slots:
                self.problem("'%s': material '%s' in Blender, expected none" % (o.path, slots[0].name))
            return
        index, material = found
        base = blender_name(material.get("name", ""))
        namesakes = sum(1 for m in self.doc.get("materials", []) if blender_name(m.get("name", "")) == base)
        # Without UVs a texture cannot be placed: the mesh takes the material
        # without it, a namesake of the textured one.
        textured = self.has_uv(o)
        if not textured and texture_of(material):
            namesakes += 1
        if not slots:
            self.problem("'%s': no material in Blender, expected '%s'" % (o.path, base))
            return
        got = slots[-1]
        if not (got.name == base or namesakes > 1 and got.name[:-4] == base and got.name[-4] == "."):
            self.problem("'%s': material '%s' in Blender, expected '%s'" % (o.path, got.name, base))
            return
        self.check_material_look(o, got, material, textured)

    def has_uv(self, o):
        uvw = o.tags(TAG_UVW)
        polygons = o.tags(TAG_POLYGONS)
        return bool(uvw) and len(uvw[-1].get("uvw", [])) >= len(polygons[-1].get("polygons", []) if polygons else [])

    def check_material_look(self, o, mat, material, textured):
        if mat.name in self.looked_at:
            return
        self.looked_at.add(mat.name)
        colour = material.get("channels", {}).get("0", {})
        data = colour.get("data", {}) if colour.get("state") else {}
        texture = texture_of(material)
        nodes = mat.node_tree.nodes if mat.use_nodes and mat.node_tree else []
        images = [n.image for n in nodes if n.type == "TEX_IMAGE" and n.image]
        if texture and textured:
            if not images:
                self.problem("material '%s': no image in Blender, expected the texture '%s'%s" % (
                    mat.name, texture, self.texture_hint(texture)))
                return
            image = images[0]
            width, height = image.size[:]
            if not (width > 0 and height > 0 and image.has_data):
                how = "packed in the file" if image.packed_file else "a link to %s%s" % (
                    image.filepath, "" if os.path.exists(bpy.path.abspath(image.filepath)) else ", which is missing")
                self.problem("material '%s': image '%s' has no pixels in Blender (%dx%d, %s), expected the "
                             "texture '%s' with its pixels%s" % (mat.name, image.name, width, height, how,
                                                                texture, self.texture_hint(texture)))
            return
        principled = [n for n in nodes if n.type == "BSDF_PRINCIPLED"]
        if not principled:
            self.problem("material '%s': no Principled BSDF in Blender" % mat.name)
            return
        want = [1.0, 1.0, 1.0]
        if colour.get("state"):
            c = data.get("1000")
            brightness = real(data.get("1001", 1.0))
            if isinstance(c, list) and len(c) == 3:
                want = [min(1.0, max(0.0, real(x) * brightness)) if finite(real(x) * brightness) else 0.0
                        for x in c]
        got = list(principled[0].inputs["Base Color"].default_value)[:3]
        if max(abs(g - w) for g, w in zip(got, want)) > COLOUR_TOLERANCE:
            self.problem("material '%s': base colour %s, expected %s" % (mat.name, fmt(got, 3), fmt(want, 3)))

    def texture_hint(self, texture):
        # The export finds a texture by its base name too.
        texture = texture.replace("\\", "/").split("/")[-1]
        places = [os.path.join(self.source, texture), os.path.join(self.source, "tex", texture)]
        there = [p for p in places if os.path.isfile(p)]
        if there:
            return " (found at %s)" % there[0]
        return " (no such file at %s)" % " or ".join(places)

    def check_camera(self, o, b):
        cam = b.data
        if cam.type != "PERSP":
            self.problem("'%s': camera type %s, expected PERSP" % (o.path, cam.type))
        want = math.degrees(self.vertical_view(o))
        got = math.degrees(cam.angle_y)
        if abs(got - want) > ANGLE_TOLERANCE:
            self.problem("'%s': vertical field of view %.3f degrees, expected %.3f" % (o.path, got, want))
        self.check_orientation(o, b, True)

    def check_light(self, o, b):
        form = o.param("90002", 0)
        want = LIGHT_TYPES.get(form if isinstance(form, int) else 0, "POINT")
        if b.data.type != want:
            self.problem("'%s': light type %s, expected %s (form %s)" % (o.path, b.data.type, want, form))
        c = o.param("90000")
        if isinstance(c, list) and len(c) == 3:
            want_colour = [min(1.0, max(0.0, real(x))) if finite(real(x)) else 0.0 for x in c]
            got = list(b.data.color)
            if max(abs(g - w) for g, w in zip(got, want_colour)) > COLOUR_TOLERANCE:
                self.problem("'%s': light colour %s, expected %s" % (o.path, fmt(got, 3), fmt(want_colour, 3)))
        if want in ("SPOT", "SUN"):
            self.check_orientation(o, b, False)

    def vertical_view(self, o):
        cam = o.data.get("camera", {})
        focus, aperture = real(cam.get("focus", 36.0)), real(cam.get("aperture", 36.0))
        focus = focus if focus > 0 and finite(focus) else 36.0
        aperture = aperture if aperture > 0 and finite(aperture) else 36.0
        return 2 * math.atan(0.75 * aperture / (2 * focus))

    # Blender's cameras and lights look along their local -z, cameras with +y up.
    def check_orientation(self, o, b, with_up):
        rot = b.matrix_world.to_3x3()
        got_look = (rot @ Vector((0, 0, -1))).normalized()
        got_up = (rot @ Vector((0, 1, 0))).normalized()
        m = o.world.to_3x3()
        want_look = direction_to_blender(m @ Vector((0, 0, 1)))
        want_up = direction_to_blender(m @ Vector((0, 1, 0)))
        hpb = "heading %.3f, pitch %.3f, bank %.3f" % tuple(o.rot)
        off = angle_between(got_look, want_look)
        if off > ANGLE_TOLERANCE:
            self.problem("'%s': looks along %s, expected %s (%.2f degrees off; document %s)" % (
                o.path, fmt(got_look), fmt(want_look), off, hpb))
        if with_up:
            off = angle_between(got_up, want_up)
            if off > ANGLE_TOLERANCE:
                self.problem("'%s': up is %s, expected %s (%.2f degrees off; document %s)" % (
                    o.path, fmt(got_up), fmt(want_up), off, hpb))

    # What the camera sees at time 0: each mesh's centre where the host's
    # camera puts it in the frame, and the meshes wholly inside the host's
    # frame wholly inside Blender's.
    def check_view(self, cam, order):
        scene = bpy.context.scene
        tan_v = math.tan(self.vertical_view(cam) / 2)
        tan_h = tan_v * 4 / 3
        to_camera = cam.world.inverted_safe()

        def host_view(p):
            local = to_camera @ p
            if local.z <= 0:
                return None
            return Vector((0.5 + local.x / (local.z * 2 * tan_h), 0.5 + local.y / (local.z * 2 * tan_v),
                           local.z * UNIT))

        seen = []
        for o in order:
            if o.kind not in ("mesh", "line") or o.blender is None or o.blender.type != "MESH" or not o.points:
                continue
            lo, hi = bounds(o.points)
            want = host_view((lo + hi) / 2)
            if want is None:
                continue
            have = world_vertices(o.blender)
            if not have:
                continue
            blo, bhi = bounds(have)
            got = world_to_camera_view(scene, cam.blender, (blo + bhi) / 2)
            # The frame position alone: it holds whatever the units, which
            # the origins and boxes check; the depth is said for context.
            if max(abs(got.x - want.x), abs(got.y - want.y)) > FRAME_TOLERANCE:
                self.problem("camera '%s' sees the centre of '%s' at %s in its frame, expected %s (x right, "
                             "y up, 0 to 1; depth %.3f m, expected %.3f m)" % (
                                 cam.path, o.path, fmt(got.xy, 3), fmt(want.xy, 3), got.z, want.z))
            else:
                seen.append("'%s' at %s" % (o.path, fmt(got.xy, 3)))
            margin = 0.01
            inside = all(v is not None and margin <= v.x <= 1 - margin and margin <= v.y <= 1 - margin
                         for v in (host_view(c) for c in corners(lo, hi)))
            if inside:
                outside = [(c, v) for c, v in ((c, world_to_camera_view(scene, cam.blender, c))
                                               for c in corners(blo, bhi))
                           if not (v.z > 0 and 0 <= v.x <= 1 and 0 <= v.y <= 1)]
                if outside:
                    c, v = outside[0]
                    self.problem("camera '%s': '%s' is not wholly in the frame at time 0, as it is in the "
                                 "document's: corner %s m at %s depth %.3f m (%d of 8 corners outside)" % (
                                     cam.path, o.path, fmt(c, 3), fmt(v.xy, 3), v.z, len(outside)))
        if seen:
            self.notes.append("camera '%s' sees %s" % (cam.name, ", ".join(seen)))


def texture_of(material):
    """The colour channel's texture a viewer should show, or "". Every
    example ships its textures, so each must arrive with its pixels."""
    colour = material.get("channels", {}).get("0", {})
    texture = colour.get("data", {}).get("1002", "") if colour.get("state") else ""
    return texture if isinstance(texture, str) else ""


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    work, source, report_path, names = args[0], args[1], args[2], args[3:]
    lines, passed, failed = [], 0, 0
    for name in names:
        example = Example(name, work, source)
        try:
            example.run()
        except Exception:
            example.problem("the check stopped: " + traceback.format_exc().strip().replace("\n", "\n      "))
        count = len(getattr(example, "order", []))
        if example.problems:
            failed += 1
            lines.append("FAIL %s: %d problems" % (name, len(example.problems)))
            lines.extend("  - " + p for p in example.problems)
        else:
            passed += 1
            lines.append("PASS %s: %d objects%s" % (name, count, "".join("; " + n for n in example.notes)))
    lines.append("%d passed, %d failed" % (passed, failed))
    with open(report_path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    sys.exit(1 if failed else 0)


main()
