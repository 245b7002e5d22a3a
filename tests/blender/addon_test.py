"""Headless tests of the Blender add-on (scripts/blender-addon-check.sh):
the example imported new, merged, and updated after a material was
assigned by hand, each checked against the host's document for the same
import, and the update undone in one step.

blender -b --factory-startup --python tests/blender/addon_test.py -- ZIP EXAMPLES TESSARO WORK
"""
import json
import os
import subprocess
import sys
import traceback

import bpy

ZIP, EXAMPLES, TESSARO, WORK = sys.argv[sys.argv.index("--") + 1:][:4]
SCENE = os.path.join(EXAMPLES, "scene.ft50")
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def host_document(*args):
    out = os.path.join(WORK, "host.json")
    subprocess.run([TESSARO, "import", SCENE, "--out", out, "--prefs", "none", "-q"] + list(args), check=True)
    with open(out, encoding="utf-8") as f:
        return json.load(f)


def tree(objects, parent=None, into=None):
    """(name, parent name, type, points, polygons) of each document object."""
    into = [] if into is None else into
    stack = [(o, parent) for o in objects]
    while stack:
        o, p = stack.pop()
        tags = {t["type"]: t for t in o.get("tags", [])}
        points = len(tags.get(5600, {}).get("points", [])) if 5604 in tags else 0
        polygons = len(tags.get(5604, {}).get("polygons", []))
        into.append((o["name"], p, o["type"], points, polygons))
        stack.extend((c, o["name"]) for c in o.get("children", []))
    return sorted(into, key=str)


def blender_tree(objects):
    out = []
    for ob in objects:
        points = len(ob.data.vertices) if ob.type == "MESH" else 0
        polygons = len(ob.data.polygons) if ob.type == "MESH" else 0
        out.append((ob.name, ob.parent.name if ob.parent else None, ob.get("tessaro_type"), points, polygons))
    return sorted(out, key=str)


def test_install():
    bpy.ops.preferences.addon_install(filepath=ZIP)
    bpy.ops.preferences.addon_enable(module="tessaro_ft50")
    check(hasattr(bpy.ops.import_scene, "ft50"), "the operator is registered")


def test_new():
    for ob in list(bpy.data.objects):
        bpy.data.objects.remove(ob)
    before = set(bpy.data.scenes)
    check(bpy.ops.import_scene.ft50(filepath=SCENE, mode="NEW") == {"FINISHED"}, "a new import finishes")
    made = [s for s in bpy.data.scenes if s not in before]
    check(len(made) == 1, "a new import makes one scene")
    scene = made[0]
    doc = host_document("--mode", "new")
    check(blender_tree(scene.objects) == tree(doc["objects"]),
          "names, hierarchy, types and counts match the host's document:\n%s\n%s" %
          (blender_tree(scene.objects), tree(doc["objects"])))
    check(scene.render.fps == doc["fps"], "the frame rate is the document's")
    check(scene.frame_end == round(doc["maxTime"][0] / doc["maxTime"][1] * doc["fps"]), "the end frame is the document's")
    check(scene.camera is not None and scene.camera.name == doc["views"][0]["sceneCamera"], "the scene camera is the document's")
    legs = [ob for ob in scene.objects if ob.name.startswith("Leg ")]
    check(len(legs) == 4 and all(ob.material_slots[0].material.name == "Steel" for ob in legs), "the legs are steel")
    check_geometry(scene, doc)
    check_camera_and_lights(scene, doc)
    used = {s.material.name for ob in scene.objects for s in ob.material_slots if s.material}
    check(used == {m["name"] for m in doc["materials"]}, "the materials are the document's: %s" % used)
    return scene


def check_geometry(scene, doc):
    """The meshes stand where the host's bounding box says (its y up is
    Blender's z, in metres), their faces face out, and UVs keep the host's
    corners with v turned up."""
    from mathutils import Vector

    bpy.context.view_layer.update()
    corners = [ob.matrix_world @ v.co for ob in scene.objects if ob.type == "MESH" for v in ob.data.vertices]
    lo = [min(c[i] for c in corners) for i in range(3)]
    hi = [max(c[i] for c in corners) for i in range(3)]
    points = [p for o in tree_objects(doc["objects"]) for t in o.get("tags", []) if t["type"] == 5600
              for p in t["points"]]
    check(len(corners) == len(points), "every point is a vertex")
    report = subprocess.run([TESSARO, "import", SCENE, "--out", "none", "--report", "-", "--prefs", "none", "-q"],
                            check=True, stdout=subprocess.PIPE).stdout
    box = json.loads(report)["files"][0]["document"]["boundingBox"]
    want_lo = [box["min"][0] * 0.01, box["min"][2] * 0.01, box["min"][1] * 0.01]
    want_hi = [box["max"][0] * 0.01, box["max"][2] * 0.01, box["max"][1] * 0.01]
    check(all(abs(a - b) < 1e-5 for a, b in zip(lo + hi, want_lo + want_hi)),
          "the meshes fill the host's bounding box: %s %s against %s %s" % (lo, hi, want_lo, want_hi))
    leg = scene.objects["Leg 1"]
    centre = sum((v.co for v in leg.data.vertices), Vector()) / len(leg.data.vertices)
    check(all(p.normal.dot(p.center - centre) > 0 for p in leg.data.polygons), "a leg's faces face out")
    host_leg = next(o for o in tree_objects(doc["objects"]) if o["name"] == "Leg 1")
    uvw = next(t for t in host_leg["tags"] if t["type"] == 5671)["uvw"]
    uv = leg.data.uv_layers[0].data
    first = leg.data.polygons[0]
    got = [tuple(uv[first.loop_start + k].uv) for k in range(first.loop_total)]
    a, b, c, d = uvw[0]
    want = [(x[0], 1 - x[1]) for x in (a, d, c, b)]  # the corners run the other way round
    check(got == want, "a face's UVs are the host's corners, v turned up: %s against %s" % (got, want))


def check_camera_and_lights(scene, doc):
    """The camera keeps the table in its frame through its animation, with
    a key wherever the document has one; the lights are the document's
    forms and shine."""
    from bpy_extras.object_utils import world_to_camera_view

    cam = scene.camera
    host_cam = next(o for o in tree_objects(doc["objects"]) if o["type"] == 5103)
    check(abs(cam.data.lens - host_cam["camera"]["focus"]) < 1e-6, "the lens is the camera's focus")
    times = {k["time"][0] / k["time"][1] for t in host_cam["tracks"] if t["id"][0] in (903, 904)
             for q in t["sequences"] for k in q["keys"]}
    frames = {kp.co[0] for fc in cam.animation_data.action.fcurves for kp in fc.keyframe_points}
    check(frames == {t * doc["fps"] for t in times}, "the camera's keys are the document's: %s %s" % (frames, times))
    board = scene.objects["Board"]
    for frame in (scene.frame_start, scene.frame_end):
        scene.frame_set(frame)
        x, y, z = world_to_camera_view(scene, cam, board.matrix_world.translation)
        check(0 < x < 1 and 0 < y < 1 and z > 0, "the camera sees the table at frame %d: %s" % (frame, (x, y, z)))
    scene.frame_set(scene.frame_start)
    forms = {0: "POINT", 1: "SPOT", 4: "SUN"}
    for o in tree_objects(doc["objects"]):
        if o["type"] == 5102:
            light = scene.objects[o["name"]].data
            check(light.type == forms[o["params"].get("90002", 0)] and light.energy > 0,
                  "the light %s is a %s that shines" % (o["name"], light.type))


def tree_objects(objects):
    out, stack = [], list(objects)
    while stack:
        o = stack.pop()
        out.append(o)
        stack.extend(o.get("children", []))
    return out


def test_update(scene):
    bpy.context.window.scene = scene
    red = bpy.data.materials.new("Red")
    leg = bpy.data.objects["Leg 1"]
    leg.material_slots[0].material = red
    table = bpy.data.objects["Table"]
    table["made_by_hand"] = True
    keep = bpy.data.objects.new("Floor", None)
    scene.collection.objects.link(keep)
    leg["made_by_hand"] = True
    # The user keeps the table in a collection of its own and has changed
    # the frame rate and range.
    furniture = bpy.data.collections.new("Furniture")
    scene.collection.children.link(furniture)
    for ob in [table] + list(table.children_recursive):
        for c in ob.users_collection:
            c.objects.unlink(ob)
        furniture.objects.link(ob)
    scene.render.fps, scene.frame_start, scene.frame_end = 60, 1, 123
    meshes = len(bpy.data.meshes)
    before = sorted(ob.name for ob in scene.objects)
    # The material assignment is a step of its own, as in the interface;
    # the import, run as the interface runs it, pushes one more.
    bpy.ops.ed.undo_push(message="assign a material")
    r = bpy.ops.import_scene.ft50("EXEC_DEFAULT", True, filepath=SCENE, mode="UPDATE", kind="GEOMETRY",
                                  target="Table")
    check(r == {"FINISHED"}, "the update finishes")
    check("made_by_hand" in bpy.data.objects["Table"], "the target stays the same object")
    check("Floor" in scene.objects, "what the user made elsewhere stays")
    new_leg = bpy.data.objects["Leg 1"]
    check("made_by_hand" not in new_leg, "the leg is replaced")
    check(new_leg.material_slots[0].material == red, "the new leg keeps the material assigned by hand")
    check(bpy.data.objects["Leg 2"].material_slots[0].material.name == "Steel", "the other legs stay steel")
    check(sorted(ob.name for ob in scene.objects) == before, "the same names after the update: %s" %
          sorted(ob.name for ob in scene.objects))
    check((scene.render.fps, scene.frame_start, scene.frame_end) == (60, 1, 123),
          "the scene's frame rate and range stay: %s" % ((scene.render.fps, scene.frame_start, scene.frame_end),))
    check(all(furniture in ob.users_collection for ob in bpy.data.objects["Legs"].children),
          "the new legs are in their parent's collection")
    check(len(bpy.data.meshes) == meshes, "a replaced object's mesh goes with it")
    check(bpy.data.objects["Leg 2"].data.name == "Leg 2", "a new mesh has its object's name")
    return before


def test_undo(before):
    check(bpy.ops.ed.undo() == {"FINISHED"}, "the update is undone")
    scene = bpy.context.scene
    leg = bpy.data.objects["Leg 1"]
    check("made_by_hand" in leg and leg.material_slots[0].material.name == "Red",
          "one undo step brings back the leg the user had")
    check(sorted(ob.name for ob in scene.objects) == before, "one undo step brings back the scene")
    check(bpy.data.objects["Leg 2"].material_slots[0].material.name == "Steel", "the other legs are as they were")


def test_splines_and_failures():
    """A spline keeps its points; a file that cannot be read and a build
    that fails leave nothing behind and say why; a truncated file brings
    what was read, with a warning."""
    from tessaro_ft50 import build

    scenes = set(bpy.data.scenes)
    aim = os.path.join(EXAMPLES, "aim.ft50")
    check(bpy.ops.import_scene.ft50(filepath=aim, mode="NEW") == {"FINISHED"}, "a file with a spline imports")
    scene = next(s for s in bpy.data.scenes if s not in scenes)
    doc = host_document_of(aim)
    host = next(o for o in tree_objects(doc["objects"]) if o["type"] == 5101)
    spline = next(ob for ob in scene.objects if ob.type == "CURVE")
    got = [tuple(round(c, 5) for c in p.co[:3]) for p in spline.data.splines[0].points]
    want = [(round(p[0] * 0.01, 5), round(p[2] * 0.01, 5), round(p[1] * 0.01, 5))
            for t in host["tags"] if t["type"] == 5600 for p in t["points"]]
    check(got == want, "the spline's points are the document's: %s against %s" % (got, want))

    objects, scenes = set(bpy.data.objects), set(bpy.data.scenes)
    try:
        bpy.ops.import_scene.ft50(filepath=os.path.join(WORK, "missing.ft50"), mode="NEW")
        check(False, "a missing file fails")
    except RuntimeError as e:
        check("cannot open" in str(e), "a missing file fails with the reason: %s" % e)
    original = build.Builder._mesh
    build.Builder._mesh = lambda *a: 1 / 0
    try:
        bpy.ops.import_scene.ft50(filepath=SCENE, mode="NEW")
        check(False, "a failing build fails")
    except RuntimeError as e:
        check("ZeroDivisionError" in str(e), "a failing build says so: %s" % e)
    finally:
        build.Builder._mesh = original
    check(set(bpy.data.objects) == objects and set(bpy.data.scenes) == scenes, "a failed import leaves nothing")

    truncated = os.path.join(WORK, "truncated.ft50")
    with open(SCENE, "rb") as f, open(truncated, "wb") as out:
        out.write(f.read()[:3000])
    check(bpy.ops.import_scene.ft50(filepath=truncated, mode="NEW") == {"FINISHED"}, "a truncated file imports")


def host_document_of(path):
    out = os.path.join(WORK, "of.json")
    subprocess.run([TESSARO, "import", path, "--out", out, "--prefs", "none", "-q"], check=True)
    with open(out, encoding="utf-8") as f:
        return json.load(f)


def test_texture_names():
    """A texture named by a path of another machine is found by its base
    name beside the file or in its tex folder, as the export finds it."""
    from tessaro_ft50 import build

    builder = build.Builder({}, bpy.context.scene, bpy.context.scene.collection, SCENE, {}, {})
    want = os.path.join(EXAMPLES, "tex", "oak.png")
    for name in ("oak.png", "OAK.PNG", "tex/oak.png", "C:\\textures\\oak.png", "/elsewhere/oak.png", "../oak.png"):
        check(builder._texture_file(name) == want, "the texture %s is found" % name)
    check(builder._texture_file("scene.ft50/..") is None, "a name that is no file is not found")


def test_merge():
    from tessaro_ft50 import build, userdoc

    scene = bpy.context.scene
    before = {ob.name: ob.get("tessaro_type") for ob in scene.objects}
    materials = {m.name for m in bpy.data.materials}
    user, _, _ = userdoc.user_document(scene)
    into = os.path.join(WORK, "user.json")
    with open(into, "w", encoding="utf-8") as f:
        json.dump(user, f)
    doc = host_document("--mode", "merge", "--into", into)
    check(bpy.ops.import_scene.ft50(filepath=SCENE, mode="MERGE") == {"FINISHED"}, "a merge finishes")
    check(all(name in scene.objects for name in before), "a merge leaves the scene's objects")
    new = [ob for ob in scene.objects if ob.name not in before]
    unmarked = [o for o in doc["objects"] if build.MARK not in o.get("params", {})]
    check(len([ob for ob in new if ob.parent is None]) == len(unmarked), "a merge adds the file's top-level objects")
    check(len(new) == len(tree(unmarked)), "a merge adds every object of the file")
    wanted = {m["name"] for m in doc["materials"] if build.MARK not in m.get("params", {})}
    added = {m.name for m in bpy.data.materials} - materials
    check(added == wanted, "a merge adds the materials the host adds, under its names: %s %s" % (added, wanted))


def test_faces_that_repeat_a_point():
    """A face naming a point twice (which a file may hold) ends as a valid
    Blender mesh; indices beyond the points leave the mesh empty."""
    from tessaro_ft50 import build

    def mesh(polygons):
        doc = {"objects": [{"type": 5100, "name": "Odd", "tags": [
            {"type": 5600, "points": [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]]},
            {"type": 5604, "polygons": polygons}]}]}
        scene = bpy.data.scenes.new("odd")
        builder = build.Builder(doc, scene, scene.collection, SCENE, {}, {})
        builder.build_objects()
        return builder.made[0].data, builder.warnings

    me, _ = mesh([[0, 1, 1, 2], [0, 1, 2, 3], [0, 2, 3, 3]])
    check(not me.validate(), "a face that repeats a point is repaired on import")
    me, warnings = mesh([[0, 1, 2, 9]])
    check(len(me.polygons) == 0 and warnings, "a face naming a missing point leaves the mesh empty, with a warning")


def test_namesake_materials():
    """Two materials of one name stay two, and a tag that gives the second
    by its position gets the second."""
    from tessaro_ft50 import build

    doc = {"materials": [{"name": "Same", "channels": {"0": {"state": 1, "data": {"1000": [1.0, 0.0, 0.0]}}}},
                         {"name": "Same", "channels": {"0": {"state": 1, "data": {"1000": [0.0, 1.0, 0.0]}}}}],
           "objects": [{"type": 5100, "name": "Two", "tags": [
               {"type": 5600, "points": [[0, 0, 0], [1, 0, 0], [1, 1, 0]]},
               {"type": 5604, "polygons": [[0, 1, 2, 2]]},
               {"type": 5616, "material": 1}]}]}
    scene = bpy.data.scenes.new("namesakes")
    builder = build.Builder(doc, scene, scene.collection, SCENE, {}, {})
    builder.build_materials()
    builder.build_objects()
    mat = builder.made[0].material_slots[0].material
    check(tuple(mat.diffuse_color)[:3] == (0.0, 1.0, 0.0), "the tag's material is the second namesake")


def test_light_below_a_parent():
    """A light's energy comes from where it and the meshes stand in the
    world, also below a parent and in a scene that is not the active one;
    keys beyond Blender's last frame are left out, with a warning."""
    from tessaro_ft50 import build

    box = {"type": 5100, "name": "Far", "pos": [1000.0, 0.0, 0.0], "tags": [
        {"type": 5600, "points": [[-1, -1, -1], [1, -1, -1], [1, 1, -1]]},
        {"type": 5604, "polygons": [[0, 1, 2, 2]]}]}
    lamp = {"type": 5102, "name": "Lamp", "pos": [0.0, 300.0, 0.0], "params": {"90002": 0},
            "tracks": [{"id": [903, 1000], "sequences": [{"keys": [{"time": [1e30, 1.0], "data": [5.0]}]}]}]}
    doc = {"objects": [{"type": 5100, "name": "Rig", "pos": [300.0, 0.0, 0.0], "children": [box, lamp]}]}
    energies = []
    for name in ("first", "second"):
        scene = bpy.data.scenes.new(name)
        builder = build.Builder(doc, scene, scene.collection, SCENE, {}, {})
        builder.build_objects()
        builder.finish_lights()
        energies.append(next(ob for ob in builder.made if ob.type == "LIGHT").data.energy)
    # A light made alone (a lights update) goes by the meshes already there.
    scene = bpy.data.scenes.new("lights alone")
    for part in (box, lamp):
        alone = build.Builder({"objects": [{"type": 5100, "name": "Rig", "pos": [300.0, 0.0, 0.0], "children": [part]}]},
                              scene, scene.collection, SCENE, {}, {})
        alone.build_objects()
        alone.finish_lights()
    energies.append(next(ob for ob in alone.made if ob.type == "LIGHT").data.energy)
    d = (1000 ** 2 + 300 ** 2) ** 0.5 * 0.01
    want = build.FULL_LIGHT_LUX * d * d * build.WATTS_PER_CANDELA
    check(all(abs(e - want) < 1e-3 * want for e in energies), "the light's energy: %s against %s" % (energies, want))
    check(any("beyond Blender's last frame" in w for w in builder.warnings), "far keys are left out with a warning")


def test_materials_update():
    """A materials update fills the scene's materials again from the file,
    by their order in the document, and keeps them the same materials."""
    before = set(bpy.data.scenes)
    bpy.ops.import_scene.ft50(filepath=SCENE, mode="NEW")
    scene = next(s for s in bpy.data.scenes if s not in before)
    for m in bpy.data.materials:
        m["made_by_hand"] = True
    oak = bpy.data.materials[scene["tessaro_materials"][0]]
    others = {m: m.name for m in bpy.data.materials if m not in {s.material for ob in scene.objects
                                                               for s in ob.material_slots}}
    bsdf = next(n for n in oak.node_tree.nodes if n.type == "BSDF_PRINCIPLED")
    colour = tuple(bsdf.inputs["Base Color"].default_value)
    bsdf.inputs["Base Color"].default_value = (0, 0, 1, 1)
    top = next(ob for ob in scene.objects if ob.parent is None and ob.type == "EMPTY").name
    r = bpy.ops.import_scene.ft50(filepath=SCENE, mode="UPDATE", kind="MATERIALS", target=top)
    check(r == {"FINISHED"}, "a materials update finishes")
    bsdf = next(n for n in oak.node_tree.nodes if n.type == "BSDF_PRINCIPLED")
    check(tuple(bsdf.inputs["Base Color"].default_value) == colour, "the file's colour is back")
    check("made_by_hand" in oak, "the material is the same material")
    changed = [(name, m.name) for m, name in others.items() if m.name != name]
    check(not changed, "materials of no object in the scene stay as they were: %s" % changed)
    count = len(bpy.data.materials)
    bpy.ops.import_scene.ft50(filepath=SCENE, mode="UPDATE", kind="MATERIALS", target=top)
    check(len(bpy.data.materials) == count, "a second materials update adds no material")

    # After a merge the scene's document has two sets; the update goes by
    # the host's order for the same user's document.
    from tessaro_ft50 import userdoc

    bpy.ops.import_scene.ft50(filepath=SCENE, mode="MERGE")
    user, _, named = userdoc.user_document(scene, top)
    into = os.path.join(WORK, "user-materials.json")
    with open(into, "w", encoding="utf-8") as f:
        json.dump(user, f)
    doc = host_document("--mode", "update", "--kind", "materials", "--object", named, "--into", into)
    check(bpy.ops.import_scene.ft50(filepath=SCENE, mode="UPDATE", kind="MATERIALS", target=top) == {"FINISHED"},
          "a materials update after a merge finishes")
    got = [(bpy.data.materials[n].get("tessaro_name"), tuple(round(c, 4) for c in bpy.data.materials[n].diffuse_color[:3]))
           for n in scene["tessaro_materials"]]
    # Names in the host's order; colours where the file overwrote the
    # material (the others keep theirs in Blender) and no texture covers it.
    want = [(m["name"], None) for m in doc["materials"]]
    for k, m in enumerate(doc["materials"]):
        data = m["channels"]["0"]["data"]
        if "1016" in m.get("params", {}) and not data.get("1002"):
            want[k] = (m["name"], tuple(round(min(max(c, 0.0), 1.0), 4) for c in data["1000"]))
    got = [(name, colour if w[1] is not None else None) for (name, colour), w in zip(got, want)]
    check(got == want, "the scene's materials are the host's, in its order:\n%s\n%s" % (got, want))


def test_second_scene_update():
    """In a second imported scene, where Blender had to rename everything,
    an update still carries a material assigned by hand and reuses the
    scene's materials."""
    before = set(bpy.data.scenes)
    bpy.ops.import_scene.ft50(filepath=SCENE, mode="NEW")
    scene = next(s for s in bpy.data.scenes if s not in before)
    leg = next(ob for ob in scene.objects if ob.get("tessaro_name") == "Leg 1")
    table = next(ob for ob in scene.objects if ob.get("tessaro_name") == "Table")
    check(leg.name != "Leg 1", "the second scene's leg has another Blender name")
    leg_name = leg.name
    mine = bpy.data.materials.new("Mine")
    leg.material_slots[0].material = mine
    count = len(bpy.data.materials)
    for _ in range(2):
        r = bpy.ops.import_scene.ft50(filepath=SCENE, mode="UPDATE", kind="GEOMETRY", target=table.name)
        check(r == {"FINISHED"}, "an update of the second scene finishes")
    new_leg = next(ob for ob in scene.objects if ob.get("tessaro_name") == "Leg 1")
    check(new_leg.material_slots[0].material == mine, "the second scene's new leg keeps the material")
    check(new_leg.name == leg_name, "the new leg takes the Blender name of the one it replaced: %s" % new_leg.name)
    check(len(bpy.data.materials) == count, "updates reuse the scene's materials")


def test_scale_is_remembered():
    """The scale last given is the add-on's preference and the next
    import's scale, as the host remembers its import scale."""
    prefs = bpy.context.preferences.addons["tessaro_ft50"].preferences

    def width():
        before = set(bpy.data.scenes)
        check(bpy.ops.import_scene.ft50(filepath=SCENE, mode="NEW", **kw) == {"FINISHED"}, "a scaled import finishes")
        scene = next(s for s in bpy.data.scenes if s not in before)
        bpy.context.view_layer.update()
        xs = [(ob.matrix_world @ v.co).x for ob in scene.objects if ob.type == "MESH" for v in ob.data.vertices]
        return max(xs) - min(xs)

    kw = {"scale": 1.0}
    one = width()
    kw = {"scale": 2.0}
    width()
    check(prefs.import_scale == 2.0, "the scale given is remembered")
    kw = {}
    check(abs(width() - 2 * one) < 1e-5, "an import without a scale takes the remembered one")
    kw = {"scale": 1.0}
    width()


def main():
    try:
        test_install()
        scene = test_new()
        before = test_update(scene)
        test_undo(before)
        test_merge()
        test_faces_that_repeat_a_point()
        test_scale_is_remembered()
        test_materials_update()
        test_second_scene_update()
        test_light_below_a_parent()
        test_splines_and_failures()
        test_texture_names()
        test_namesake_materials()
    except Exception:
        traceback.print_exc()
        failures.append("an exception")
    print("addon tests: %d failures" % len(failures))
    sys.exit(1 if failures else 0)


main()
