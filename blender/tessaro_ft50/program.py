"""Running the tessaro program: the real plug-in in the stand-in host.

The add-on never reads FT50 itself. It hands the file (and, for a merge or
an update, the Blender scene as the user's document) to `tessaro import`
and reads back the document the import made, as the host's document JSON.
"""
import json
import os
import shutil
import subprocess
import tempfile

MODES = {"NEW": "new", "MERGE": "merge", "UPDATE": "update"}
KINDS = {"GEOMETRY": "geometry", "CAMERAS": "cameras", "MATERIALS": "materials", "LIGHTS": "lights"}


class ImportFailed(Exception):
    pass


def find_program(configured=""):
    """The tessaro program: the preference, then TESSARO_PROGRAM, then the
    copy shipped inside the add-on, then one on PATH."""
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin", "tessaro")
    if os.path.isfile(here) and not os.access(here, os.X_OK):
        # Blender's add-on installer unpacks the zip without file modes.
        try:
            os.chmod(here, 0o755)
        except OSError:
            pass
    for candidate in (configured, os.environ.get("TESSARO_PROGRAM", ""), here):
        if candidate and os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which("tessaro")
    if found:
        return found
    raise ImportFailed("the tessaro program was not found: set its path in the add-on's preferences")


def run_import(program, filepath, mode, kind, target, scale, user_document=None):
    """Imports filepath and answers (document, report) as parsed JSON.

    user_document, a dict in the host's document format, is the document a
    merge or an update goes into."""
    with tempfile.TemporaryDirectory(prefix="tessaro-blender-") as work:
        out = os.path.join(work, "result.json")
        report = os.path.join(work, "report.json")
        args = [program, "import", filepath, "--mode", MODES[mode], "--scale", repr(float(scale)),
                "--out", out, "--base64-arrays", "--report", report, "--prefs", "none", "--quiet"]
        if mode == "UPDATE":
            args += ["--kind", KINDS[kind], "--object", target]
        if user_document is not None:
            into = os.path.join(work, "user.json")
            with open(into, "w", encoding="utf-8") as f:
                json.dump(user_document, f)
            args += ["--into", into]
        run = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        text = run.stderr.decode("utf-8", "replace").strip()
        if run.returncode != 0 or not os.path.isfile(out):
            raise ImportFailed(text or "tessaro import failed (status %d)" % run.returncode)
        with open(out, encoding="utf-8") as f:
            document = json.load(f)
        result = {}
        if os.path.isfile(report):
            with open(report, encoding="utf-8") as f:
                result = json.load(f)
        return document, result
