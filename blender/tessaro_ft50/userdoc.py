"""The Blender scene as the user's document, for a merge or an update.

What the plug-in's rules look at goes to the host: the scene's materials
(a merge keeps names unique, an update links to namesakes, a materials
update overwrites them by position), its frame rate, end and camera, and,
for an update, the target's tree: names, hierarchy, types, placement,
whether a mesh has points, and its material slots as texture tags. Each
object and material carries its Blender name as a mark, so that what comes
back is known for what it was. Names are the document's: Blender's names
are unique in a whole file, so a second imported scene's "Leg 1" is
"Leg 1.001" there, but still "Leg 1" to the plug-in's update.
"""
from . import build, convert

TYPES = {"MESH": build.POLYGON, "CURVE": build.SPLINE, "CAMERA": build.CAMERA, "LIGHT": build.LIGHT}


def document_name(block):
    """The name an import gave the object or material, while its Blender
    name is that name or that name with the suffix Blender added; else
    (renamed by the user, or made by the user) its Blender name."""
    name = block.get("tessaro_name")
    if not isinstance(name, str):
        return block.name
    suffix = block.name[len(name) + 1:] if block.name.startswith(name + ".") else None
    if block.name == name or (suffix is not None and len(suffix) >= 3 and suffix.isdigit()):
        return name
    return block.name


def _placement(ob):
    # The inverse of the conversion in: Blender (x, y, z) is host (x, z, y).
    loc, scale = ob.location, ob.scale
    rot = ob.matrix_basis.to_euler(convert.ROTATION_MODE)
    return {
        "pos": [loc.x / convert.UNIT, loc.z / convert.UNIT, loc.y / convert.UNIT],
        "rot": [rot.z, rot.x, rot.y],
        "scale": [scale.x, scale.z, scale.y],
    }


def _object(ob, material_positions):
    # An empty the import made is the host's group (a polygon object
    # without points), which an update may replace; one the user made is
    # a null, which no update removes.
    kind = TYPES.get(ob.type) or (ob.get("tessaro_type") if ob.type == "EMPTY" else None) or build.NULL
    entry = {"type": kind, "name": document_name(ob), "params": {build.MARK: ob.name}}
    entry.update(_placement(ob))
    tags = []
    if ob.type == "MESH" and len(ob.data.vertices):
        # Only whether the mesh has points matters to the update's rules;
        # the geometry itself stays in Blender.
        tags.append({"type": build.POINTS, "points": [[0.0, 0.0, 0.0]]})
    # The first slot covers the others: it is the last texture tag. A tag
    # gives its material by position, which no namesake can confuse.
    for slot in reversed(ob.material_slots):
        if slot.material is not None and slot.material in material_positions:
            tags.append({"type": build.TEXTURE, "material": material_positions[slot.material], "params": {"1004": 2}})
    entry["tags"] = tags
    return entry


def _materials(scene):
    """The scene's materials: those of the document its last import left,
    in that document's order, then the others its objects use."""
    import bpy

    order = []
    for name in scene.get("tessaro_materials", []):
        mat = bpy.data.materials.get(name)
        if mat is not None and mat not in order:
            order.append(mat)
    used = {slot.material for ob in scene.objects for slot in ob.material_slots if slot.material is not None}
    order += sorted((m for m in used if m not in order), key=lambda m: m.name)
    return order


def user_document(scene, target=None):
    """The user's document, the objects sent, and the target's name in it:
    the scene's materials and settings, and for an update the top-level
    objects, with the whole tree of the first named target."""
    fps = max(1, round(scene.render.fps / scene.render.fps_base))
    doc = {"objects": [], "materials": [], "fps": fps, "maxTime": [float(scene.frame_end), float(fps)]}
    materials = _materials(scene)
    positions = {mat: i for i, mat in enumerate(materials)}
    for mat in materials:
        doc["materials"].append({"name": document_name(mat), "params": {build.MARK: mat.name}})
    if target is None:
        return doc, [], None
    # Children from one walk of the scene: Blender's own list of an
    # object's children walks every object in the file.
    tops, children = [], {}
    for ob in scene.objects:
        if ob.parent is None:
            tops.append(ob)
        else:
            children.setdefault(ob.parent, []).append(ob)
    sent, at = [], {}  # objects sent; their positions from the top level down
    target_name = target
    for i, top in enumerate(tops):
        entry = _object(top, positions)
        doc["objects"].append(entry)
        sent.append(top)
        at[top] = [i]
        if top.name != target:
            continue
        target_name = entry["name"]
        stack = [(top, entry)]
        while stack:
            ob, e = stack.pop()
            e["children"] = []
            for child in sorted(children.get(ob, []), key=lambda c: c.name):
                ce = _object(child, positions)
                at[child] = at[ob] + [len(e["children"])]
                e["children"].append(ce)
                sent.append(child)
                stack.append((child, ce))
    if scene.camera in at:
        doc["views"] = [{"sceneCamera": at[scene.camera]}]
    return doc, sent, target_name
