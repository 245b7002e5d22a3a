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


TRUNCATED = 5  # the program's status for a file that ends early


class ImportFailed(Exception):
    pass


def find_program(configured=""):
    """The tessaro program: the preference, then TESSARO_PROGRAM, then the
    copy shipped inside the add-on, then one on PATH."""
    if configured:
        # A program the user chose is the one to run, or a clear no.
        path = bpy_path(configured)
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
        raise ImportFailed("the tessaro program set in the add-on's preferences (%s) cannot be run" % path)
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bin", "tessaro")
    if os.path.isfile(here) and not os.access(here, os.X_OK):
        # Blender's add-on installer unpacks the zip without file modes.
        try:
            os.chmod(here, 0o755)
        except OSError:
            pass
    for candidate in (os.environ.get("TESSARO_PROGRAM", ""), here):
        if candidate and os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return candidate
    found = shutil.which("tessaro")
    if found:
        return found
    raise ImportFailed("the tessaro program was not found: set its path in the add-on's preferences")


def bpy_path(path):
    """A path as Blender writes them ("//" is the blend file's folder)."""
    try:
        import bpy

        return bpy.path.abspath(path)
    except ImportError:
        return path


def _load_json(path, what):
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError) as e:
        raise ImportFailed("the %s the tessaro program wrote cannot be read: %s" % (what, e))


def _report_warnings(report):
    out = []
    for entry in report.get("files", []):
        for w in entry.get("warnings", []):
            if isinstance(w, dict) and w.get("text"):
                out.append(w["text"])
    return out


def run_import(program, filepath, mode, kind, target, scale, user_document=None):
    """Imports filepath and answers (document, warnings): the document as
    parsed JSON and what the import said of it.

    user_document, a dict in the host's document format, is the document a
    merge or an update goes into."""
    with tempfile.TemporaryDirectory(prefix="tessaro-blender-") as work:
        out = os.path.join(work, "result.json")
        report = os.path.join(work, "report.json")
        # An absolute path: a name starting with "-" is not an option.
        args = [program, "import", os.path.abspath(bpy_path(filepath)), "--mode", MODES[mode],
                "--scale", repr(float(scale)), "--out", out, "--base64-arrays", "--report", report,
                "--prefs", "none"]
        if mode == "UPDATE":
            args += ["--kind", KINDS[kind], "--object", target]
        if user_document is not None:
            into = os.path.join(work, "user.json")
            with open(into, "w", encoding="utf-8") as f:
                json.dump(user_document, f)
            args += ["--into", into]
        try:
            run = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        except OSError as e:
            raise ImportFailed("the tessaro program (%s) cannot be started: %s" % (program, e))
        # The program's own lines ("tessaro: ..."), less the answers line.
        lines = [line.strip() for line in run.stderr.decode("utf-8", "replace").splitlines()
                 if line.strip() and not line.startswith("tessaro: answers:")]
        said = _load_json(report, "report") if os.path.isfile(report) else {}
        # A truncated file (status 5) keeps and writes what was read, as the
        # host does; the user is told.
        if run.returncode not in (0, TRUNCATED) or not os.path.isfile(out):
            why = "; ".join(lines) or "tessaro import failed (status %d)" % run.returncode
            if run.returncode in (0, TRUNCATED):
                why = "the tessaro program (%s) ended without writing the document" % program
            raise ImportFailed(why)
        document = _load_json(out, "document")
        warnings = _report_warnings(said) or [line for line in lines if "warning" in line]
        if run.returncode == TRUNCATED:
            warnings.insert(0, "the file is truncated: what was read before its end is imported")
        return document, warnings
