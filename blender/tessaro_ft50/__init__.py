"""FT50 scenes into Blender through TessaroImport, the real plug-in, run in
its stand-in host (the tessaro program shipped with this add-on)."""

bl_info = {
    "name": "TessaroImport: FT50 scenes",
    "author": "TessaroImport",
    "version": (0, 9, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > FT50 scene (.ft50)",
    "description": "Imports FT50 scenes new, merged, or as an update of one object",
    "category": "Import-Export",
}

import os

import bpy
from bpy.props import EnumProperty, FloatProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

from . import build, program, userdoc

ADDON = __name__


class TessaroPreferences(bpy.types.AddonPreferences):
    bl_idname = ADDON

    # The host remembers the import scale between sessions; so does this.
    import_scale: FloatProperty(name="Import scale", default=1.0, min=-9.0e18, max=9.0e18)
    program_path: StringProperty(name="tessaro program", subtype="FILE_PATH", default="",
                                 description="Empty: the program shipped with the add-on")

    def draw(self, context):
        self.layout.prop(self, "import_scale")
        self.layout.prop(self, "program_path")


def _prefs(context):
    addon = context.preferences.addons.get(ADDON)
    return addon.preferences if addon else None


def _top_level(context):
    # In the scene's order, which for an imported scene is the document's.
    return [ob for ob in context.scene.objects if ob.parent is None]


class ImportFT50(bpy.types.Operator, ImportHelper):
    """Import an FT50 scene through TessaroImport"""

    bl_idname = "import_scene.ft50"
    bl_label = "Import FT50"
    bl_options = {"REGISTER", "UNDO"}

    filename_ext = ".ft50"
    filter_glob: StringProperty(default="*.ft50", options={"HIDDEN"})
    mode: EnumProperty(name="Into", items=[
        ("NEW", "New scene", "A new scene of its own"),
        ("MERGE", "Merge", "Add the file's objects and materials to the current scene"),
        ("UPDATE", "Update object", "Replace the children of one kind below one top-level object"),
    ], default="NEW")
    kind: EnumProperty(name="Replace", items=[
        ("GEOMETRY", "Geometry", "Meshes and splines"),
        ("CAMERAS", "Cameras", ""),
        ("MATERIALS", "Materials", ""),
        ("LIGHTS", "Lights", ""),
    ], default="GEOMETRY")
    target: StringProperty(name="Object", description="The top-level object an update replaces below")
    scale: FloatProperty(name="Scale", default=1.0, description="The scale factor for imported lengths")

    def invoke(self, context, event):
        # As the host's dialog: update the first top-level object when the
        # scene has one, a new scene otherwise; the scale as last confirmed.
        prefs = _prefs(context)
        if prefs is not None and not self.properties.is_property_set("scale"):
            self.scale = prefs.import_scale
        tops = _top_level(context)
        if not self.properties.is_property_set("mode"):
            self.mode = "UPDATE" if tops else "NEW"
        if not self.target and tops:
            self.target = tops[0].name
        return ImportHelper.invoke(self, context, event)

    def draw(self, context):
        layout = self.layout
        layout.prop(self, "mode")
        row = layout.column()
        row.enabled = self.mode == "UPDATE"
        row.prop_search(self, "target", context.scene, "objects")
        row.prop(self, "kind")
        layout.prop(self, "scale")

    def execute(self, context):
        prefs = _prefs(context)
        if prefs is not None and not self.properties.is_property_set("scale"):
            self.scale = prefs.import_scale
        if self.mode == "UPDATE" and not self.target:
            self.report({"ERROR"}, "an update needs the name of a top-level object")
            return {"CANCELLED"}
        try:
            exe = program.find_program(prefs.program_path if prefs else "")
            warnings = import_file(context, self.filepath, self.mode, self.kind, self.target, self.scale, exe)
        except program.ImportFailed as e:
            self.report({"ERROR"}, str(e))
            return {"CANCELLED"}
        if prefs is not None and prefs.import_scale != self.scale:
            prefs.import_scale = self.scale
            context.preferences.is_dirty = True
        for w in warnings[:20]:
            self.report({"WARNING"}, w)
        return {"FINISHED"}


def import_file(context, filepath, mode, kind, target, scale, exe):
    """Runs the import and brings its document into Blender; answers the
    warnings. Nothing of the scene is removed until everything new is
    made, and what was made is taken away again when making fails."""
    filepath = os.path.abspath(program.bpy_path(filepath))
    scene = context.scene
    marked_objects, marked_materials = {}, {m.name: m for m in bpy.data.materials}
    user = None
    if mode in ("MERGE", "UPDATE"):
        user, sent, named = userdoc.user_document(scene, target if mode == "UPDATE" else None)
        marked_objects = {ob.name: ob for ob in sent}
        target = named or target
    document, warnings = program.run_import(exe, filepath, mode, kind, target, scale, user)
    home = scene.collection
    if mode == "NEW":
        scene = bpy.data.scenes.new(os.path.splitext(os.path.basename(filepath))[0] or "FT50")
        home = scene.collection
    elif context.collection is not None and context.collection in scene.collection.children_recursive:
        home = context.collection  # where Blender's importers put what they bring
    builder = build.Builder(document, scene, home, filepath, marked_objects, marked_materials)
    timing = (scene.render.fps, scene.render.fps_base, scene.frame_start, scene.frame_end)
    try:
        builder.apply_timing(user)
        builder.build_materials(update_materials=mode == "UPDATE" and kind == "MATERIALS", sent=user)
        builder.build_objects()
    except Exception as e:  # a fault of the add-on's own: nothing half-made stays
        builder.discard()
        if mode == "NEW":
            bpy.data.scenes.remove(scene)
        else:
            scene.render.fps, scene.render.fps_base, scene.frame_start, scene.frame_end = timing
        raise program.ImportFailed("the import could not be built in Blender: %s: %s" % (type(e).__name__, e))
    builder.record_materials()
    if mode == "NEW" and context.window is not None:
        context.window.scene = scene
    # What the user's document held and the result does not, the import
    # removed (an update's replaced children), with the data only they used.
    seen = builder.marks()
    freed = {}  # document name -> Blender names of the objects removed
    for mark, ob in marked_objects.items():
        if mark not in seen:
            freed.setdefault(userdoc.document_name(ob), []).append(ob.name)
            data = ob.data
            bpy.data.objects.remove(ob, do_unlink=True)
            if data is not None and data.users == 0:
                build.remove_data(data)
    builder.name_objects(freed)
    builder.apply_camera()
    builder.finish_lights()
    return warnings + builder.warnings


def menu_import(self, context):
    self.layout.operator(ImportFT50.bl_idname, text="FT50 scene (.ft50)")


CLASSES = (TessaroPreferences, ImportFT50)


def register():
    for c in CLASSES:
        bpy.utils.register_class(c)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    for c in reversed(CLASSES):
        bpy.utils.unregister_class(c)
