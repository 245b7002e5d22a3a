"""One timed import in Blender, for bench/blender.sh: the FT50 file through
the add-on, or the same scene's GLB through Blender's own glTF importer.
Prints the import's wall time and what Blender then holds.

blender -b --factory-startup --python bench/blender_import.py -- ft50|gltf FILE [ZIP]
"""
import sys
import time

import addon_utils
import bpy
import numpy

# Debian's Blender 3.4 glTF importer still asks numpy for np.bool, which
# numpy 1.24 removed.
if "bool" not in vars(numpy):
    numpy.bool = bool

how, path = sys.argv[sys.argv.index("--") + 1:][:2]
for ob in list(bpy.data.objects):
    bpy.data.objects.remove(ob)
if how == "ft50":
    if not addon_utils.check("tessaro_ft50")[0]:
        zipf = sys.argv[sys.argv.index("--") + 3]
        if "tessaro_ft50" not in {m.__name__ for m in addon_utils.modules()}:
            bpy.ops.preferences.addon_install(filepath=zipf)
        bpy.ops.preferences.addon_enable(module="tessaro_ft50")
    start = time.perf_counter()
    bpy.ops.import_scene.ft50(filepath=path, mode="MERGE")
else:
    start = time.perf_counter()
    bpy.ops.import_scene.gltf(filepath=path)
seconds = time.perf_counter() - start
meshes = [ob for ob in bpy.context.scene.objects if ob.type == "MESH"]
print("RESULT %s %.4f %d %d" % (how, seconds, sum(len(ob.data.vertices) for ob in meshes),
                                 sum(len(ob.data.polygons) for ob in meshes)))
