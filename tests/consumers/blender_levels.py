# Imports .glb files written with --lods and --wind into an empty Blender scene and checks
# what a scene or game user relies on: one object a level with its node's name, triangle
# counts that at least halve from level to level, an impostor of at most 32 triangles,
# the sway as shape keys driven by an action "wind" that moves the tip and brings it back
# at the end of the loop, and the tree's record (seed, parameters) as custom properties.
# Usage: blender -b --python blender_levels.py -- FILE.glb LEVELS [FILE.glb LEVELS ...]
import os
import sys

import numpy

# Blender 3.4's glTF importer still uses numpy.bool, an alias numpy 1.24 removed.
numpy.bool = bool

import bpy  # noqa: E402

failures = []


def fail(message):
    failures.append(message)
    print("FAILED:", message)


def triangles(obj):
    return sum(len(p.vertices) - 2 for p in obj.data.polygons)


def evaluated_point(obj, index, frame):
    scene = bpy.context.scene
    scene.frame_set(int(frame), subframe=frame - int(frame))
    depsgraph = bpy.context.evaluated_depsgraph_get()
    evaluated = obj.evaluated_get(depsgraph)
    mesh = evaluated.to_mesh()
    point = (evaluated.matrix_world @ mesh.vertices[index].co).copy()
    evaluated.to_mesh_clear()
    return point


def check_sway(obj):
    keys = obj.data.shape_keys
    if keys is None or len(keys.key_blocks) < 3:
        fail(f"{obj.name}: no shape keys for the sway")
        return
    names = [k.name for k in keys.key_blocks]
    basis = keys.key_blocks[0]
    along_x = keys.key_blocks[1]
    # The tip: the vertex whose sway target moves it farthest, the highest weight.
    reach = [(along_x.data[i].co - basis.data[i].co).length for i in range(len(basis.data))]
    tip = max(range(len(reach)), key=reach.__getitem__)
    action = keys.animation_data.action if keys.animation_data else None
    if action is None or not action.name.startswith("wind"):
        fail(f"{obj.name}: no action 'wind' on its shape keys "
             f"({action.name if action else 'none'})")
        return
    start, end = action.frame_range
    first = evaluated_point(obj, tip, start)
    moved = 0.0
    steps = 48
    for s in range(1, steps):
        frame = start + (end - start) * s / steps
        moved = max(moved, (evaluated_point(obj, tip, frame) - first).length)
    last = evaluated_point(obj, tip, end)
    back = (last - first).length
    print(f"  {obj.name}: shape keys {names}, action '{action.name}' frames {start:g}..{end:g}; "
          f"tip vertex {tip} (reach {reach[tip]:.3f} m) moves up to {moved:.3f} m, "
          f"{back:.6f} m from its start at the end")
    if moved < 0.5 * reach[tip]:
        fail(f"{obj.name}: the tip moves only {moved:.4f} m during the loop")
    if back > 1e-4:
        fail(f"{obj.name}: the tip ends {back:.6f} m from where it started")


def check(path, count):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.import_scene.gltf(filepath=path)
    name = os.path.splitext(os.path.basename(path))[0]
    print(f"{path}: {len(bpy.data.objects)} objects, actions "
          f"{sorted(a.name for a in bpy.data.actions)}")
    before = None
    for k in range(count):
        obj = bpy.data.objects.get(f"{name}_LOD{k}")
        if obj is None or obj.type != "MESH":
            fail(f"{path}: no mesh object {name}_LOD{k}")
            return
        n = triangles(obj)
        impostor = any(m.name.startswith("impostor") for m in obj.data.materials if m)
        print(f"  {obj.name}: {n} triangles{' (impostor)' if impostor else ''}, "
              f"seed {obj.get('seed')}")
        if before is not None and 2 * n > before:
            fail(f"{obj.name}: {n} triangles, more than half of the {before} before it")
        if k == count - 1 and count >= 3 and (not impostor or n > 32):
            fail(f"{obj.name}: the last level is not an impostor of at most 32 triangles")
        if "seed" not in obj or "parameters" not in obj:
            fail(f"{obj.name}: no custom properties 'seed' and 'parameters' ({list(obj.keys())})")
        elif len(obj["parameters"].keys()) != 13:
            fail(f"{obj.name}: {len(obj['parameters'].keys())} parameters, expected 13")
        check_sway(obj)
        before = n


arguments = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
if len(arguments) < 2 or len(arguments) % 2:
    print("usage: blender -b --python blender_levels.py -- FILE.glb LEVELS ...")
    sys.exit(2)
for i in range(0, len(arguments), 2):
    check(arguments[i], int(arguments[i + 1]))
print("blender:", "ok" if not failures else f"{len(failures)} failures")
sys.exit(1 if failures else 0)
