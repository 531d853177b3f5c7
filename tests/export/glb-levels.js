// Reads the JSON chunk of a .glb with levels of detail and checks its levels: nodes
// <name>_LOD0 .. <name>_LOD<n-1> in order, each level with at most half the triangles of
// the one before, the last (of three or more) an impostor of at most 32 triangles; with
// --wind, every primitive with _WIND and two morph targets and one animation "wind" that
// drives every level. Prints "<node> <triangles>" per level.
// Usage: node glb-levels.js <file.glb> <levels> [wind]
'use strict';
const fs = require('fs');
const path = require('path');

const [file, levelText, wind] = process.argv.slice(2);
const levels = Number(levelText);
const bytes = fs.readFileSync(file);
const json = JSON.parse(bytes.toString('utf8', 20, 20 + bytes.readUInt32LE(12)));
const name = path.basename(file, path.extname(file));
const problems = [];

const nodes = json.nodes || [];
if (nodes.length !== levels) {
    problems.push(`${nodes.length} nodes, expected ${levels}`);
}
let before = Infinity;
nodes.forEach((node, k) => {
    const expected = levels === 1 ? 'tree' : `${name}_LOD${k}`;
    if (node.name !== expected) {
        problems.push(`node ${k} is '${node.name}', expected '${expected}'`);
    }
    const mesh = json.meshes[node.mesh];
    let triangles = 0;
    for (const p of mesh.primitives) {
        triangles += json.accessors[p.indices].count / 3;
        if (wind && (p.attributes._WIND === undefined || (p.targets || []).length !== 2)) {
            problems.push(`${node.name}: a primitive without _WIND or its two targets`);
        }
    }
    const impostor = mesh.primitives.some((p) => json.materials[p.material].name === 'impostor');
    console.log(`${node.name} ${triangles}${impostor ? ' impostor' : ''}`);
    if (triangles > before / 2) {
        problems.push(`${node.name}: ${triangles} triangles, more than half of ${before}`);
    }
    if (levels >= 3 && k === levels - 1 && (!impostor || triangles > 32)) {
        problems.push(`${node.name}: not an impostor of at most 32 triangles`);
    }
    before = triangles;
});
if (wind) {
    const animations = json.animations || [];
    const driven = animations.length === 1 && animations[0].name === 'wind'
        ? animations[0].channels.filter((c) => c.target.path === 'weights').map((c) => c.target.node)
        : [];
    if (driven.join() !== nodes.map((_, k) => k).join()) {
        problems.push(`the animation 'wind' drives the nodes [${driven}]`);
    }
}
for (const problem of problems) {
    console.log(`${file}: ${problem}`);
}
process.exit(problems.length === 0 ? 0 : 1);
