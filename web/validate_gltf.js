// Checks .glb files with the Khronos glTF validator: prints one line per file with its
// counts of errors, warnings, infos and hints, then each error and warning; exits 1 when
// any file has an error or cannot be read.
//   node web/validate_gltf.js FILE.glb...
const fs = require("fs");
const validator = require("gltf-validator");

async function main(files) {
    let failed = files.length === 0;
    for (const file of files) {
        try {
            const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {uri: file, maxIssues: 50});
            const n = report.issues;
            console.log(`${file}: ${n.numErrors} errors, ${n.numWarnings} warnings, ${n.numInfos} infos, ${n.numHints} hints`);
            for (const m of n.messages.filter((m) => m.severity <= 1)) {
                console.log(`  ${m.severity === 0 ? "error" : "warning"} ${m.code} at ${m.pointer || "-"}: ${m.message}`);
            }
            failed = failed || n.numErrors > 0;
        } catch (error) {
            console.log(`${file}: cannot be validated: ${error}`);
            failed = true;
        }
    }
    process.exit(failed ? 1 : 0);
}

main(process.argv.slice(2));
