// Validates glTF files with Khronos' glTF-Validator: node validate.mjs FILE...
// Prints each file's counts and every error; exits 1 when any file has one.
// An export names the user's texture files without carrying them: images
// found beside the file are loaded and checked, a missing one is reported as
// a warning (IO_ERROR), not an error.
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
    severityOverrides: { IO_ERROR: 1 },
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos`);
  for (const m of issues.messages) {
    if (m.severity === 0 || process.env.GLTF_VERBOSE) console.log(`  [${m.severity}] ${m.code} ${m.pointer ?? ""}: ${m.message}`);
  }
  if (issues.numErrors > 0) failed = true;
}
process.exit(failed ? 1 : 0);
