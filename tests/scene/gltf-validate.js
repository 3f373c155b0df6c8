// Validates a .glb or .gltf (with its .bin and images beside it) with the Khronos glTF validator, a
// library from the npm registry. Prints every message; exits 1 on any error, 77 where the validator is
// not installed (scripts/ensure-packages.sh installs it), 0 otherwise.
// Usage: node gltf-validate.js FOLDER_WITH_NODE_MODULES FILE
'use strict';
const fs = require('fs');
const path = require('path');

const [folder, file] = process.argv.slice(2);
let validator;
try {
    validator = require(path.join(folder, 'node_modules', 'gltf-validator'));
} catch (e) {
    console.log('gltf-validator is not installed in ' + folder + ': skipped');
    process.exit(77);
}

const bytes = new Uint8Array(fs.readFileSync(file));
validator
    .validateBytes(bytes, {
        uri : path.basename(file),
        maxIssues : 0,
        externalResourceFunction : (uri) => new Promise((resolve, reject) => {
            fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)),
                        (error, data) => error ? reject(error.toString()) : resolve(new Uint8Array(data)));
        }),
    })
    .then((report) => {
        for (const message of report.issues.messages)
            console.log(`${message.severity === 0 ? 'error' : 'note'} ${message.code} ${
                message.pointer || ''}: ${message.message}`);
        console.log(`${report.issues.numErrors} errors, ${report.issues.numWarnings} warnings, ` +
                    `${report.info ? report.info.drawCallCount : 0} draw calls`);
        process.exit(report.issues.numErrors > 0 ? 1 : 0);
    })
    .catch((error) => {
        console.log('the validator failed: ' + error);
        process.exit(1);
    });
