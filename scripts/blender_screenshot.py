"""The add-on's import options in Blender's file browser, for the README:
run by scripts/blender-screenshot.sh in Blender with a (virtual) display.
The example scene is imported first, so that the update offers its first
top-level object, as the host's dialog does.

blender --factory-startup --python scripts/blender_screenshot.py -- ZIP OUT.png EXAMPLE
"""
import sys

import bpy

zipf, out, example = sys.argv[sys.argv.index("--") + 1:][:3]
bpy.ops.preferences.addon_install(filepath=zipf)
bpy.ops.preferences.addon_enable(module="tessaro_ft50")
# The file browser in the main window, so that one picture shows it.
bpy.context.preferences.view.filebrowser_display_type = "SCREEN"


def in_view(op, **kw):
    win = bpy.context.window_manager.windows[0]
    area = next(a for a in win.screen.areas if a.type == "VIEW_3D")
    with bpy.context.temp_override(window=win, area=area, region=area.regions[-1]):
        return op(**kw)


def open_browser():
    in_view(bpy.ops.import_scene.ft50, filepath=example, mode="NEW")
    in_view(lambda **kw: bpy.ops.import_scene.ft50("INVOKE_DEFAULT", **kw), filepath=example)


def shoot():
    win = bpy.context.window_manager.windows[0]
    with bpy.context.temp_override(window=win, screen=win.screen):
        bpy.ops.screen.screenshot(filepath=out)


def done():
    bpy.ops.wm.quit_blender()


bpy.app.timers.register(open_browser, first_interval=2.0)
bpy.app.timers.register(shoot, first_interval=5.0)
bpy.app.timers.register(done, first_interval=7.0)
