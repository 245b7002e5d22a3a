"""The Blender scene as the user's document, for a merge or an update.

What the plug-in's rules look at goes to the host: the materials by name
(a merge keeps names unique, an update links to namesakes) and, for an
update, the target's tree: names, hierarchy, types, placement, whether a
mesh has points, and its material slots as texture tags. Each object and
material carries its Blender name as a mark, so that what comes back is
known for what it was.
"""
from . import build, convert

TYPES = {"MESH": build.POLYGON, "CURVE": build.SPLINE, "CAMERA": build.CAMERA, "LIGHT": build.LIGHT}


def _placement(ob):
    # The inverse of the conversion in: Blender (x, y, z) is host (x, z, y).
    loc, scale = ob.location, ob.scale
    rot = ob.matrix_basis.to_euler(convert.ROTATION_MODE)
    return {
        "pos": [loc.x / convert.UNIT, loc.z / convert.UNIT, loc.y / convert.UNIT],
        "rot": [rot.z, rot.x, rot.y],
        "scale": [scale.x, scale.z, scale.y],
    }


def _object(ob):
    # An empty the import made is the host's group (a polygon object
    # without points), which an update may replace; one the user made is
    # a null, which no update removes.
    kind = TYPES.get(ob.type) or (ob.get("tessaro_type") if ob.type == "EMPTY" else None) or build.NULL
    entry = {"type": kind, "name": ob.name, "params": {build.MARK: ob.name}}
    entry.update(_placement(ob))
    tags = []
    if ob.type == "MESH" and len(ob.data.vertices):
        # Only whether the mesh has points matters to the update's rules;
        # the geometry itself stays in Blender.
        tags.append({"type": build.POINTS, "points": [[0.0, 0.0, 0.0]]})
    # The first slot covers the others: it is the last texture tag.
    for slot in reversed(ob.material_slots):
        if slot.material is not None:
            tags.append({"type": build.TEXTURE, "material": slot.material.name, "params": {"1004": 2}})
    entry["tags"] = tags
    return entry


def user_document(scene, target=None):
    """The user's document: every material, and the tree of the top-level
    object named target (with the other top-level objects as names only,
    so that the plug-in finds the first of that name as it would)."""
    # The scene's frame rate and end as the document's, so that the import
    # keeps them unless the file changes them.
    fps = max(1, round(scene.render.fps / scene.render.fps_base))
    doc = {"objects": [], "materials": [], "fps": fps, "maxTime": [float(scene.frame_end), float(fps)]}
    # The scene's materials (those its objects use: other scenes' and
    # unused ones are not this document's), in the order of the document
    # they came from, which a materials update overwrites them by; the
    # user's own after them.
    used = {slot.material for ob in scene.objects for slot in ob.material_slots if slot.material is not None}
    order = sorted(used, key=lambda m: (m.get("tessaro_position", float("inf")), m.name))
    for mat in order:
        doc["materials"].append({"name": mat.name, "params": {build.MARK: mat.name}})
    if target is None:
        return doc, []
    tops = [ob for ob in scene.objects if ob.parent is None]
    sent = []
    positions = {}  # object sent -> its positions from the top level down
    for i, top in enumerate(tops):
        entry = _object(top)
        doc["objects"].append(entry)
        sent.append(top)
        positions[top] = [i]
        if top.name != target:
            continue
        stack = [(top, entry)]
        while stack:
            ob, e = stack.pop()
            e["children"] = []
            for child in sorted((c for c in ob.children if c.name in scene.objects), key=lambda c: c.name):
                ce = _object(child)
                positions[child] = positions[ob] + [len(e["children"])]
                e["children"].append(ce)
                sent.append(child)
                stack.append((child, ce))
    # The scene camera, when it is among the objects sent.
    if scene.camera in positions:
        doc["views"] = [{"sceneCamera": positions[scene.camera]}]
    return doc, sent
