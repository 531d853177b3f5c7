// Runs the Khronos glTF validator on each file named on the command line and fails when
// it reports any error or warning. The validator package is looked up through NODE_PATH
// (the test setup installs it into the build folder).
// Usage: node validate-gltf.js <file.glb>...
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validate(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        maxIssues: 100,
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                `${issues.numInfos} infos, ${issues.numHints} hints ` +
                `(validator ${report.validatorVersion})`);
    for (const message of issues.messages) {
        console.log(`  [${['error', 'warning', 'info', 'hint'][message.severity]}] ` +
                    `${message.code} ${message.pointer || ''}: ${message.message}`);
    }
    return issues.numErrors === 0 && issues.numWarnings === 0;
}

(async () => {
    const files = process.argv.slice(2);
    if (files.length === 0) {
        console.error('usage: node validate-gltf.js <file.glb>...');
        process.exit(2);
    }
    let clean = true;
    for (const file of files) {
        clean = (await validate(file)) && clean;
    }
    process.exit(clean ? 0 : 1);
})().catch((error) => {
    console.error(`validation failed: ${error}`);
    process.exit(1);
});
