"""Blender objects from the document an import made.

Objects that the user's document carried into the import come back with
their mark (`MARK`) and stand for the Blender objects they were made from,
which stay as they are; objects without a mark are the import's and are
made here; marked objects missing from the result were removed by the
import (an update's replaced children) and are removed from Blender.
"""
import base64
import math
import os

import bpy
import numpy as np

from . import convert

# A parameter of objects and materials that the host carries through an
# import untouched: the Blender name of what the user's document was made of.
MARK = "1000000000"

POLYGON, SPLINE, LIGHT, CAMERA, NULL = 5100, 5101, 5102, 5103, 5140
POINTS, POLYGONS, UVW, PHONG, TEXTURE = 5600, 5604, 5671, 5612, 5616

FULL_LIGHT_LUX = math.pi * 683  # as the glTF export: a full light's lux
WATTS_PER_CANDELA = 4 * math.pi / 683


def _tag(obj, kind):
    for t in obj.get("tags", []):
        if t.get("type") == kind:
            return t
    return None


def _array(tag, key, dtype, width):
    """A tag's entries as rows of width values: from the base64 text of
    their little-endian values the program writes, or from a list."""
    value = tag.get(key, [])
    if isinstance(value, str):
        data = np.frombuffer(base64.b64decode(value), dtype=np.dtype(dtype).newbyteorder("<"))
        return data[: len(data) // width * width].reshape(-1, width)
    return np.asarray(value, dtype=dtype).reshape(-1, width)


def _param(element, key, preset):
    return element.get("params", {}).get(str(key), preset)


class Builder:
    def __init__(self, document, scene, collection, filepath, marked_objects, marked_materials):
        self.doc = document
        self.scene = scene
        self.collection = collection
        self.folder = os.path.dirname(os.path.abspath(filepath))
        self.marked_objects = marked_objects  # mark -> Blender object the user's document held
        self.marked_materials = marked_materials
        self.made_materials = []
        self.names = []  # (object made, the name the document gives it)
        self.materials = {}  # document material name -> Blender material, the first of that name
        self.by_position = []  # Blender material of each document material
        self.made = []  # Blender objects made here, parents first
        self.by_path = {}  # document path of names -> Blender object, the first of that path
        self.by_positions = {}  # positions from the top level down -> Blender object
        self.warnings = []
        self._homes = {}  # object -> the collection its children go into

    # ---- materials ---------------------------------------------------------
    def build_materials(self, update_materials=False, sent=None):
        """The result's materials: the user's own where marked, new ones
        otherwise. A materials update overwrites the user's materials by
        position, names included, so those are filled again too; one it
        left alone comes back as it was sent (sent: the user's document)."""
        as_sent = {}
        for m in (sent or {}).get("materials", []):
            as_sent[m["params"][MARK]] = m
        renamed = []
        for m in self.doc.get("materials", []):
            mark = _param(m, MARK, None)
            existing = self.marked_materials.get(mark) if mark is not None else None
            untouched = mark in as_sent and m.get("name") == as_sent[mark]["name"] and set(m.get("params", {})) == {MARK}
            if existing is not None and (not update_materials or untouched):
                existing["tessaro_name"] = m.get("name", "")
                self.materials.setdefault(m.get("name", ""), existing)
                self.by_position.append(existing)
                continue
            mat = existing
            if mat is None:
                mat = bpy.data.materials.new(m.get("name", "Material"))
                self.made_materials.append(mat)
            if existing is not None and m.get("name") and existing.name != m["name"]:
                # Out of the way first: a later material may hold the name.
                existing.name = free_name(bpy.data.materials, "tessaro-renaming-%d" % len(renamed))
                renamed.append((existing, m["name"]))
            self._fill_material(mat, m)
            self.materials.setdefault(m.get("name", ""), mat)
            self.by_position.append(mat)
        for mat, name in renamed:
            mat.name = free_name(bpy.data.materials, name)

    def record_materials(self):
        """The document's materials in its order, kept with the scene: the
        order a materials update overwrites them by, and the names the
        plug-in knows them by."""
        self.scene["tessaro_materials"] = [mat.name for mat in self.by_position]

    def _texture_file(self, name):
        """The texture as the export finds it: the name as a path below the
        file's folder and its tex folder, then its base name there, in any
        case."""
        if not name:
            return None
        parts = name.replace("\\", "/").split("/")
        parts[-1] = parts[-1].rsplit(":", 1)[-1]  # "C:wood.png": the name after the drive
        # A name with a drive, a root or ".." is looked for by its base
        # name only: never outside the file's folders.
        whole = [] if ":" in name or name.startswith(("/", "\\")) or ".." in parts else ["/".join(parts)]
        if not parts[-1] or parts[-1] == "..":
            return None
        root = os.path.realpath(self.folder)

        def inside(path):
            # A link that came with the file does not lead out of its folder.
            real = os.path.realpath(path)
            return os.path.isfile(real) and os.path.commonpath([root, real]) == root

        for folder in (self.folder, os.path.join(self.folder, "tex")):
            for candidate in whole + [parts[-1]]:
                path = os.path.join(folder, candidate)
                if inside(path):
                    return path
                if os.path.isdir(os.path.dirname(path)):
                    low = os.path.basename(path).lower()
                    for entry in sorted(os.listdir(os.path.dirname(path))):
                        if entry.lower() == low and inside(os.path.join(os.path.dirname(path), entry)):
                            return os.path.join(os.path.dirname(path), entry)
        return None

    def _fill_material(self, mat, m):
        channels = m.get("channels", {})

        def channel(i):
            c = channels.get(str(i))
            return c if c and c.get("state") else None

        base = [1.0, 1.0, 1.0, 1.0]
        texture = None
        colour = channel(0)
        if colour:
            data = colour.get("data", {})
            brightness = data.get("1001", 1.0)
            c = data.get("1000")
            if isinstance(c, list) and len(c) == 3 and convert.finite(c + [brightness]):
                base[:3] = [min(max(x * brightness, 0.0), 1.0) for x in c]
            name = data.get("1002", "")
            if isinstance(name, str) and name:
                texture = self._texture_file(name)
                if texture is None:
                    self.warnings.append("the texture '%s' of the material %s was not found" % (name, m.get("name")))
                elif convert.finite([brightness]):
                    base[:3] = [min(max(brightness, 0.0), 1.0)] * 3
        transparency = channel(2)
        if transparency:
            t = transparency.get("data", {}).get("1001", 0.0)
            if convert.finite([t]):
                base[3] = 1 - min(max(t, 0.0), 1.0)
        width = _param(m, 1016, 0.5)
        roughness = max(0.2, min(max(width, 0.0), 1.0)) if channel(8) and convert.finite([width]) else 1.0

        mat.use_nodes = True
        nodes = mat.node_tree.nodes
        nodes.clear()
        output = nodes.new("ShaderNodeOutputMaterial")
        bsdf = nodes.new("ShaderNodeBsdfPrincipled")
        output.location = (300, 0)
        mat.node_tree.links.new(bsdf.outputs["BSDF"], output.inputs["Surface"])
        bsdf.inputs["Base Color"].default_value = base
        bsdf.inputs["Alpha"].default_value = base[3]
        bsdf.inputs["Roughness"].default_value = roughness
        bsdf.inputs["Metallic"].default_value = 0.0
        mat.diffuse_color = base
        mat.roughness = roughness
        if base[3] < 1:
            mat.blend_method = "BLEND"
        if texture:
            image = bpy.data.images.load(texture, check_existing=True)
            node = nodes.new("ShaderNodeTexImage")
            node.image = image
            node.location = (bsdf.location.x - 600, bsdf.location.y)
            mix = nodes.new("ShaderNodeMixRGB")  # the image weighed by the brightness
            mix.blend_type = "MULTIPLY"
            mix.inputs["Fac"].default_value = 1.0
            mix.inputs["Color2"].default_value = base
            mix.location = (bsdf.location.x - 250, bsdf.location.y)
            links = mat.node_tree.links
            links.new(node.outputs["Color"], mix.inputs["Color1"])
            links.new(mix.outputs["Color"], bsdf.inputs["Base Color"])
        mat["tessaro_name"] = m.get("name", "")

    # ---- objects -----------------------------------------------------------
    def marks(self):
        """The marks of the objects in the result: what the user's document
        held and the import kept."""
        seen = set()
        stack = list(self.doc.get("objects", []))
        while stack:
            o = stack.pop()
            mark = _param(o, MARK, None)
            if mark is not None:
                seen.add(mark)
            stack.extend(o.get("children", []))
        return seen

    def build_objects(self):
        """Walks the document's tree with a stack of its own (its depth is
        the file's to choose); answers the marks seen."""
        seen = set()
        stack = [(o, None, (i,), o.get("name", "")) for i, o in reversed(list(enumerate(self.doc.get("objects", []))))]
        while stack:
            o, parent, at, path = stack.pop()
            mark = _param(o, MARK, None)
            existing = self.marked_objects.get(mark) if mark is not None else None
            if existing is not None:
                seen.add(mark)
                ob = existing
            else:
                ob = self._make_object(o, parent)
            self.by_path.setdefault(path, ob)
            self.by_positions[at] = ob
            children = list(enumerate(o.get("children", [])))
            stack.extend((c, ob, at + (k,), path + "/" + c.get("name", "")) for k, c in reversed(children))
        return seen

    def _make_object(self, o, parent):
        name = o.get("name", "") or "Object"
        kind = o.get("type")
        data = None
        fix = False
        if kind == CAMERA:
            data = self._camera(o, name)
            fix = True
        elif kind == LIGHT:
            data = self._light(o, name)
            fix = True
        elif kind == SPLINE or "spline" in o:
            data = self._spline(o, name)
        elif _tag(o, POINTS) is not None and _tag(o, POLYGONS) is not None:
            data = self._mesh(o, name)
        ob = bpy.data.objects.new(name, data)
        # The document's name, which the next update's rules go by when
        # Blender had to give the object another (names are per file there).
        ob["tessaro_name"] = name
        self.names.append((ob, name))
        self.made.append(ob)
        ob["tessaro_type"] = kind if isinstance(kind, int) else 0
        # Beside its parent, in the parent's collection; at the top, where
        # the import goes. (Blender finds an object's collections by
        # walking them all: once per parent, not once per child.)
        home = self.collection
        if parent is not None:
            if parent not in self._homes:
                found = (c for c in parent.users_collection if c in self._scene_collections())
                self._homes[parent] = next(found, self.collection)
            home = self._homes[parent]
        home.objects.link(ob)
        self._homes[ob] = home
        if parent is not None:
            ob.parent = parent
            if parent.get("tessaro_look_fix"):
                ob.matrix_parent_inverse = convert.LOOK_FIX.inverted()
        self._place(ob, o, fix)
        if isinstance(data, bpy.types.Mesh):
            self._assign_materials(ob, o)
        self._animate(ob, o, fix)
        hidden = o.get("editorMode") == 1
        ob.hide_viewport = hidden
        ob.hide_render = o.get("renderMode") == 1
        return ob

    def _scene_collections(self):
        if not hasattr(self, "_collections"):
            found, stack = set(), [self.scene.collection]
            while stack:
                c = stack.pop()
                found.add(c)
                stack.extend(c.children)
            self._collections = found
        return self._collections

    def name_objects(self, freed=None):
        """The document's names, once the objects the import replaced are
        gone and their names free; where another object holds the name,
        the Blender name of the replaced namesake (freed: document name ->
        Blender names freed)."""
        freed = {k: list(v) for k, v in (freed or {}).items()}
        for ob, name in self.names:
            if ob.name != name and name not in bpy.data.objects:
                ob.name = name
            elif ob.name != name:
                spare = [n for n in freed.get(name, []) if n not in bpy.data.objects]
                if spare:
                    ob.name = spare[0]
                    freed[name].remove(spare[0])
            name = ob.name
            data = ob.data
            if data is not None and data.name != name:
                blocks = data_blocks(data)
                if blocks is not None and name not in blocks:
                    data.name = name

    def discard(self):
        """Everything made so far, when the import cannot be completed."""
        for ob in reversed(self.made):
            data = ob.data
            bpy.data.objects.remove(ob, do_unlink=True)
            if data is not None and data.users == 0:
                remove_data(data)
        for mat in self.made_materials:
            if mat.users == 0:
                bpy.data.materials.remove(mat)
        self.made, self.made_materials, self.names = [], [], []

    def _place(self, ob, o, fix):
        pos, rot, scale = o.get("pos", [0, 0, 0]), o.get("rot", [0, 0, 0]), o.get("scale", [1, 1, 1])
        if not convert.finite(pos):
            self.warnings.append("the position of %s is not a number: placed at its parent's origin" % ob.name)
            pos = [0, 0, 0]
        if not convert.finite(rot):
            self.warnings.append("the rotation of %s is not a number: left unrotated" % ob.name)
            rot = [0, 0, 0]
        if not convert.finite(scale):
            scale = [1, 1, 1]
        if fix:
            ob["tessaro_look_fix"] = True
            ob.rotation_mode = "QUATERNION"
            m = convert.euler(rot).to_matrix().to_4x4() @ convert.LOOK_FIX
            ob.location = convert.position(pos)
            ob.rotation_quaternion = m.to_quaternion()
        else:
            ob.rotation_mode = convert.ROTATION_MODE
            ob.location = convert.position(pos)
            ob.rotation_euler = convert.euler(rot)
        ob.scale = convert.size(scale)

    def _mesh(self, o, name):
        points = _array(_tag(o, POINTS), "points", np.float32, 3)
        polygons = _array(_tag(o, POLYGONS), "polygons", np.int32, 4).astype(np.int64)
        me = bpy.data.meshes.new(name)
        if len(points) == 0 or len(polygons) == 0:
            return me
        if polygons.min() < 0 or polygons.max() >= len(points):
            self.warnings.append("the mesh of %s names points it does not have: left empty" % name)
            return me
        co = np.empty((len(points), 3), dtype=np.float32)
        co[:, 0], co[:, 1], co[:, 2] = points[:, 0], points[:, 2], points[:, 1]
        co *= convert.UNIT
        co[~np.isfinite(co)] = 0
        triangle = polygons[:, 2] == polygons[:, 3]
        # Front faces run the other way round once the frame is mirrored:
        # (a, b, c, d) becomes (a, d, c, b), a triangle (a, b, c) (a, c, b).
        order = np.stack([polygons[:, 0], polygons[:, 3], polygons[:, 2], polygons[:, 1]], axis=1)
        order[triangle, 1] = polygons[triangle, 2]
        order[triangle, 2] = polygons[triangle, 1]
        counts = np.where(triangle, 3, 4)
        keep = np.ones(order.shape, dtype=bool)
        keep[triangle, 3] = False
        corners = order[keep]
        starts = np.zeros(len(counts), dtype=np.int64)
        np.cumsum(counts[:-1], out=starts[1:])
        me.vertices.add(len(co))
        me.vertices.foreach_set("co", co.ravel())
        me.loops.add(len(corners))
        me.loops.foreach_set("vertex_index", corners.astype(np.int32))
        me.polygons.add(len(counts))
        me.polygons.foreach_set("loop_start", starts.astype(np.int32))
        if bpy.app.version < (4, 0, 0):
            me.polygons.foreach_set("loop_total", counts.astype(np.int32))
        uvw_tag = _tag(o, UVW)
        uvw = _array(uvw_tag, "uvw", np.float32, 12).reshape(-1, 4, 3) if uvw_tag is not None else None
        if uvw is not None and len(uvw) == len(polygons):
            corner_uv = np.stack([uvw[:, 0], uvw[:, 3], uvw[:, 2], uvw[:, 1]], axis=1)
            corner_uv[triangle, 1] = uvw[triangle, 2]
            corner_uv[triangle, 2] = uvw[triangle, 1]
            uv = corner_uv[keep][:, :2].astype(np.float32)
            uv[~np.isfinite(uv)] = 0
            uv[:, 1] = 1 - uv[:, 1]  # the host's v runs down, Blender's up
            layer = me.uv_layers.new(name="UVMap")
            layer.data.foreach_set("uv", uv.ravel())
        me.update(calc_edges=True)
        # A face that names a point twice needs Blender's repair; the whole
        # check costs a second on a million faces, so only then.
        c = order
        twice = (c[:, 0] == c[:, 1]) | (c[:, 0] == c[:, 2]) | (c[:, 1] == c[:, 2])
        twice |= ~triangle & ((c[:, 3] == c[:, 0]) | (c[:, 3] == c[:, 1]) | (c[:, 3] == c[:, 2]))
        if twice.any():
            me.validate()
        phong = _tag(o, PHONG)
        if phong is not None:
            limited = _param(phong, 1001, 0)
            angle = _param(phong, 1002, math.pi)
            angle = angle if limited and convert.finite([angle]) else math.pi
            me.polygons.foreach_set("use_smooth", np.ones(len(me.polygons), dtype=bool))
            if hasattr(me, "use_auto_smooth"):
                me.use_auto_smooth = True
                me.auto_smooth_angle = min(max(angle, 0.0), math.pi)
            elif hasattr(me, "set_sharp_from_angle"):
                me.set_sharp_from_angle(angle=min(max(angle, 0.0), math.pi))
        return me

    def _assign_materials(self, ob, o):
        # The last texture tag covers the others, as in the host and the
        # export: it is the first slot, the one every face uses.
        # A tag names its material, or gives its position when an earlier
        # material has the same name.
        links = [t.get("material") for t in o.get("tags", []) if t.get("type") == TEXTURE]
        for link in reversed(links):
            if isinstance(link, int) and not isinstance(link, bool):
                mat = self.by_position[link] if 0 <= link < len(self.by_position) else None
            else:
                mat = self.materials.get(link) if isinstance(link, str) else None
            if mat is not None:
                ob.data.materials.append(mat)

    def _spline(self, o, name):
        points = _tag(o, POINTS)
        curve = bpy.data.curves.new(name, "CURVE")
        curve.dimensions = "3D"
        pts = [p for p in _array(points or {}, "points", np.float32, 3).tolist() if convert.finite(p)]
        if len(pts) >= 2:
            spline = curve.splines.new("POLY")
            spline.points.add(len(pts) - 1)
            for point, p in zip(spline.points, pts):
                v = convert.position(p)
                point.co = (v.x, v.y, v.z, 1.0)
        return curve

    def _camera(self, o, name):
        cam = bpy.data.cameras.new(name)
        settings = o.get("camera", {})
        focus, aperture = settings.get("focus", 36.0), settings.get("aperture", 36.0)
        if not (convert.finite([focus, aperture]) and focus > 0 and aperture > 0):
            self.warnings.append("the focus or aperture of the camera %s is not a number above 0: taken as 36 mm each" % name)
            focus = aperture = 36.0
        cam.sensor_fit = "HORIZONTAL"
        cam.sensor_width = aperture
        cam.sensor_height = aperture * 0.75
        cam.lens = focus
        cam.clip_start = convert.UNIT
        cam.clip_end = 1.0e5 * convert.UNIT
        return cam

    def _light(self, o, name):
        form = _param(o, 90002, 0)
        kind = {1: "SPOT", 4: "SUN"}.get(form, "POINT")
        light = bpy.data.lights.new(name, kind)
        colour = _param(o, 90000, [1.0, 1.0, 1.0])
        if isinstance(colour, list) and len(colour) == 3 and convert.finite(colour):
            light.color = [min(max(c, 0.0), 1.0) for c in colour]
        brightness = _param(o, 90001, 1.0)
        if not (convert.finite([brightness]) and brightness >= 0):
            brightness = 1.0
        light["tessaro_brightness"] = brightness
        if kind == "SPOT":
            cone = _param(o, 90011, math.pi / 2)
            light.spot_size = cone if convert.finite([cone]) and 0 < cone <= math.pi else math.pi / 2
            # Soft from the centre out, as the export's inner cone of 0.
            light.spot_blend = 1.0
        return light

    def finish_lights(self):
        """The host's lights do not fade with distance; Blender's point and
        spot lights fall off with its square. As in the export, a light of
        brightness b lights the centre of the scene's meshes as b full
        lights would; a sun lights everything so. Placements are worked
        out here: a scene just made has no evaluated ones yet."""
        lo, hi = None, None
        for ob in self.scene.objects:
            if ob.type != "MESH" or not len(ob.data.vertices):
                continue
            co = np.empty(len(ob.data.vertices) * 3, dtype=np.float32)
            ob.data.vertices.foreach_get("co", co)
            co = co.reshape(-1, 3)
            a, b = co.min(axis=0), co.max(axis=0)
            world = world_matrix(ob)
            for corner in ((x, y, z) for x in (a[0], b[0]) for y in (a[1], b[1]) for z in (a[2], b[2])):
                w = world @ convert.Vector(corner)
                lo = w.copy() if lo is None else convert.Vector(map(min, lo, w))
                hi = w.copy() if hi is None else convert.Vector(map(max, hi, w))
        centre = (lo + hi) / 2 if lo is not None else convert.Vector()
        for ob in self.made:
            if ob.type != "LIGHT":
                continue
            lux = ob.data.get("tessaro_brightness", 1.0) * FULL_LIGHT_LUX
            if ob.data.type == "SUN":
                ob.data.energy = lux / 683
                continue
            d = (world_matrix(ob).translation - centre).length
            if not (d > 0 and math.isfinite(d)):
                d = 1.0
            ob.data.energy = lux * d * d * WATTS_PER_CANDELA

    # ---- animation ---------------------------------------------------------
    def _animate(self, ob, o, fix):
        curves = {}
        for track in o.get("tracks", []):
            ident = track.get("id", [])
            if len(ident) != 2 or ident[0] not in (convert.POSITION_TRACK, convert.ROTATION_TRACK):
                continue
            keys = []
            for seq in track.get("sequences", []):
                for key in seq.get("keys", []):
                    t = convert.seconds(key.get("time"))
                    value = (key.get("data") or [None])[0]
                    if t is not None and convert.finite([value]):
                        keys.append((t, value))
            keys.sort(key=lambda k: k[0])
            far = "keys of %s lie beyond Blender's last frame: they are left out" % ob.name
            if far not in self.warnings and any(
                    not convert.frame_ok(t * self.scene.render.fps / self.scene.render.fps_base) for t, _ in keys):
                self.warnings.append(far)
            if keys:
                curves[(ident[0], ident[1])] = keys
        if not curves:
            return
        fps = self.scene.render.fps / self.scene.render.fps_base
        if not fix:
            for (track, component), keys in curves.items():
                position = track == convert.POSITION_TRACK
                path = "location" if position else "rotation_euler"
                index = (convert.LOCATION_INDEX if position else convert.EULER_INDEX).get(component)
                if index is None:
                    continue
                for t, value in keys:
                    if not convert.frame_ok(t * fps):
                        continue
                    v = value * convert.UNIT if position else value
                    getattr(ob, path)[index] = v
                    ob.keyframe_insert(path, index=index, frame=t * fps)
        else:
            # Cameras and lights carry the quarter turn: their rotation is
            # sampled at every key time, as the export samples it.
            self._sampled(ob, o, curves, fps)
        if ob.animation_data and ob.animation_data.action:
            for fc in ob.animation_data.action.fcurves:
                for kp in fc.keyframe_points:
                    kp.interpolation = "LINEAR"

    def _sampled(self, ob, o, curves, fps):
        def at(keys, t, preset):
            if not keys:
                return preset
            if t <= keys[0][0]:
                return keys[0][1]
            if t >= keys[-1][0]:
                return keys[-1][1]
            for (t0, v0), (t1, v1) in zip(keys, keys[1:]):
                if t0 <= t <= t1:
                    return v1 if t1 == t0 else v0 + (v1 - v0) * (t - t0) / (t1 - t0)
            return preset

        for track in (convert.POSITION_TRACK, convert.ROTATION_TRACK):
            parts = [curves.get((track, c), []) for c in (1000, 1001, 1002)]
            times = sorted({t for keys in parts for t, _ in keys})
            still = o.get("pos" if track == convert.POSITION_TRACK else "rot", [0, 0, 0])
            if not convert.finite(still):
                still = [0, 0, 0]
            for t in times:
                if not convert.frame_ok(t * fps):
                    continue
                v = [at(parts[i], t, still[i]) for i in range(3)]
                if track == convert.POSITION_TRACK:
                    ob.location = convert.position(v)
                    ob.keyframe_insert("location", frame=t * fps)
                else:
                    m = convert.euler(v).to_matrix().to_4x4() @ convert.LOOK_FIX
                    ob.rotation_quaternion = m.to_quaternion()
                    ob.keyframe_insert("rotation_quaternion", frame=t * fps)
        pos, rot = o.get("pos", [0, 0, 0]), o.get("rot", [0, 0, 0])
        if convert.finite(pos):
            ob.location = convert.position(pos)
        if convert.finite(rot):
            ob.rotation_quaternion = (convert.euler(rot).to_matrix().to_4x4() @ convert.LOOK_FIX).to_quaternion()

    # ---- the scene ---------------------------------------------------------
    def apply_timing(self, sent=None):
        """The frame rate and end time, before any key is placed in frames;
        for a merge or an update only where the import changed what the
        user's document said (sent)."""
        if sent is not None and all(self.doc.get(k) == sent.get(k) for k in ("fps", "maxTime")):
            return
        fps = self.doc.get("fps")
        if isinstance(fps, int) and 0 < fps <= 1000:
            self.scene.render.fps = fps
            self.scene.render.fps_base = 1.0
        end = convert.seconds(self.doc.get("maxTime"))
        if end is not None and end >= 0:
            if sent is None:
                self.scene.frame_start = 0  # the host's time starts at 0
            frame = end * self.scene.render.fps / self.scene.render.fps_base
            self.scene.frame_end = int(round(min(max(frame, self.scene.frame_start), convert.LAST_FRAME)))

    def apply_camera(self):
        """The document's scene camera: a path of names, or positions where
        names would not tell it apart."""
        views = self.doc.get("views") or []
        ref = views[0].get("sceneCamera") if views and isinstance(views[0], dict) else None
        ob = self.by_path.get(ref) if isinstance(ref, str) else self.by_positions.get(tuple(ref or ()))
        if ob is not None and ob.type == "CAMERA":
            self.scene.camera = ob


def world_matrix(ob):
    """The object's placement in the world from its own and its parents'
    (what Blender's evaluation would give, before any has run)."""
    m = ob.matrix_basis.copy()
    while ob.parent is not None:
        m = ob.parent.matrix_basis @ ob.matrix_parent_inverse @ m
        ob = ob.parent
    return m


def free_name(blocks, name):
    """name, or the first of name.001, name.002, … that nothing holds:
    Blender gives a name that is taken to the block renamed and renames
    the one that held it."""
    if name not in blocks:
        return name
    n = 1
    while "%s.%03d" % (name, n) in blocks:
        n += 1
    return "%s.%03d" % (name, n)


def data_blocks(data):
    kinds = ((bpy.types.Mesh, bpy.data.meshes), (bpy.types.Curve, bpy.data.curves),
             (bpy.types.Camera, bpy.data.cameras), (bpy.types.Light, bpy.data.lights))
    return next((blocks for kind, blocks in kinds if isinstance(data, kind)), None)


def remove_data(data):
    """An object's data block, once nothing uses it."""
    blocks = data_blocks(data)
    if blocks is not None:
        blocks.remove(data)
