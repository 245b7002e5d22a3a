"""Checks a batch's report against the document files of the same batch."""
import json
import os
import sys

report = json.load(open(sys.argv[1], encoding="utf-8"))
documents = sys.argv[2]

TYPES = {5100: "polygon", 5101: "spline", 5102: "light", 5103: "camera", 5140: "null"}


def count(doc):
    c = {"objects": 0, "polygons": 0, "points": 0, "textureTags": 0, "tracks": 0, "keys": 0}
    by_type = {}
    pending = list(doc.get("objects", []))
    while pending:
        o = pending.pop()
        c["objects"] += 1
        name = TYPES.get(o["type"], "type %d" % o["type"])
        by_type[name] = by_type.get(name, 0) + 1
        for t in o.get("tags", []):
            if t["type"] == 5600:
                c["points"] += len(t["points"])
            elif t["type"] == 5604:
                c["polygons"] += len(t["polygons"])
            elif t["type"] == 5616:
                c["textureTags"] += 1
        c["tracks"] += len(o.get("tracks", []))
        for track in o.get("tracks", []):
            for q in track["sequences"]:
                c["keys"] += len(q["keys"])
        pending.extend(o.get("children", []))
    c["materials"] = len(doc.get("materials", []))
    c["fps"] = doc["fps"]
    c["objectsByType"] = by_type
    return c


failures = 0
checked = 0
seen = {}
for entry in report["files"]:
    # The batch names its outputs the same way for both formats.
    stem = os.path.splitext(os.path.basename(entry["file"]))[0]
    n = seen.get(stem, 0)
    seen[stem] = n + 1
    if entry["outcome"] not in ("imported", "truncated"):
        if entry["document"] is not None:
            print("%s: %s, but the report describes a document" % (entry["file"], entry["outcome"]))
            failures += 1
        continue
    name = stem + ("-%d" % n if n else "") + ".json"
    if not entry["output"] or not os.path.isfile(entry["output"]):
        print("%s: the report names no written output" % entry["file"])
        failures += 1
    doc = json.load(open(os.path.join(documents, name), encoding="utf-8"))
    want = count(doc)
    got = entry["document"]
    for key, value in want.items():
        if got[key] != value:
            print("%s: %s is %r in the report, %r in the document" % (entry["file"], key, got[key], value))
            failures += 1
    checked += 1

totals = report["totals"]
if totals["files"] != len(report["files"]) or checked != totals["imported"] + totals["truncated"]:
    print("the totals do not add up: %r" % totals)
    failures += 1
print("report-check: %d documents agree with the report, %d failed or were cancelled"
      % (checked, totals["failed"] + totals["cancelled"]))
sys.exit(1 if failures else 0)
