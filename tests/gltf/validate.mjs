// Validates glTF files with Khronos' glTF-Validator: node validate.mjs FILE...
// Prints each file's counts and every error; exits 1 when any file has one.
// Images a .gltf refers to are loaded from beside it and checked; an export
// refers only to files it found or copied there, so a missing one is an
// error (IO_ERROR).
import { readFile } from "node:fs/promises";
import path from "node:path";
import validator from "gltf-validator";

let failed = false;
for (const file of process.argv.slice(2)) {
  const bytes = new Uint8Array(await readFile(file));
  const report = await validator.validateBytes(bytes, {
    uri: file,
    externalResourceFunction: (uri) =>
      readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))).then((b) => new Uint8Array(b)),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos`);
  for (const m of issues.messages) {
    if (m.severity === 0 || process.env.GLTF_VERBOSE) console.log(`  [${m.severity}] ${m.code} ${m.pointer ?? ""}: ${m.message}`);
  }
  if (issues.numErrors > 0) failed = true;
}
process.exit(failed ? 1 : 0);
