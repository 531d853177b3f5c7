#include "mesh/TreeMesh.h"

#include <functional>

#include "mesh/MeshFrame.h"
#include "mesh/TreeGeometry.h"

namespace {

// Walks the structure in the order the immediate drawing does, with a MeshFrame in place
// of the matrix stack, and appends every tube and leaf it reaches.
class MeshBuilder {
public:
    MeshBuilder(TreeMesh& mesh, float sideBranchScale, bool indices)
        : mesh_(mesh), scale_(sideBranchScale), indices_(indices) {}

    // Hands the arrays to `take` whenever either part holds `pieceVertices` vertices.
    void HandOver(size_t pieceVertices, const std::function<void(const TreeMesh&)>* take) {
        pieceVertices_ = pieceVertices;
        take_ = take;
    }

    // Hands over what the arrays hold and empties them, keeping their storage.
    void Flush() {
        if (!take_ || (mesh_.bark.positions.empty() && mesh_.leaves.positions.empty())) {
            return;
        }
        (*take_)(mesh_);
        for (MeshPart* part : {&mesh_.bark, &mesh_.leaves}) {
            part->positions.clear();
            part->normals.clear();
            part->texCoords.clear();
            part->indices.clear();
        }
        mesh_.leafColours.clear();
    }

    void Chain(const Fork& chain, MeshFrame frame) {
        const Segment* cur = chain.first.get();
        if (!cur) {
            return;
        }
        // Without a parent the first segment only lends its ring to the second tube.
        if (chain.parent) {
            Tube(*cur, *chain.parent, frame);
            StepOver(*cur, frame);
        }
        while (const Segment* nxt = cur->next.get()) {
            if (cur->fork) {
                MeshFrame branch = frame;
                branch.Scale(scale_);
                Chain(*cur->fork, branch);
            }
            if (cur->leaf) {
                AddLeaf(*cur->leaf, frame);
            }
            Tube(*nxt, *cur, frame);
            StepOver(*nxt, frame);
            cur = nxt;
        }
        if (cur->leaf) {
            AddLeaf(*cur->leaf, frame);
        }
        mesh_.passStats += ChainStats;
    }

private:
    // From the bottom of `segment` to its top: the rotation first, so the translation
    // runs along the bent axis. Angle and axis go through floats, as the matrix calls
    // of the immediate drawing take them.
    static void StepOver(const Segment& segment, MeshFrame& frame) {
        frame.Rotate(static_cast<float>(segment.expand), static_cast<float>(segment.sinTwist), 0.0,
                     static_cast<float>(segment.cosTwist));
        frame.TranslateY(segment.length);
    }

    // Appends one vertex, already in the tree's frame. The arrays were reserved for the
    // whole tree, so this never reallocates.
    static void Append(MeshPart& part, const float p[3], const float n[3], float s, float t) {
        for (int i = 0; i < 3; ++i) {
            part.positions.push_back(p[i]);
        }
        for (int i = 0; i < 3; ++i) {
            part.normals.push_back(n[i]);
        }
        part.texCoords.push_back(s);
        part.texCoords.push_back(t);
    }

    // The tube of `segment` over the ring of `below`, whose top is the frame's origin.
    void Tube(const Segment& segment, const Segment& below, const MeshFrame& frame) {
        MeshPart& bark = mesh_.bark;
        const uint32_t base = static_cast<uint32_t>(bark.vertexCount());
        for (const RingStep& step : RingSteps) {
            const auto [c, d] = RingCorner(step, below);
            const auto [a, b] = RingCorner(step, segment);
            // The bottom corner is also the normal of both vertices of the step.
            const float corner[3] = {c, 0.0f, d};
            float bottom[3], normal[3], top[3];
            frame.PointAndNormal(corner, bottom, normal);
            frame.Point(TopRingVertex(segment, a, b).data(), top);
            Append(bark, bottom, normal, step.s, 0.0f);
            Append(bark, top, normal, step.s, 1.0f);
        }
        if (indices_) {
            for (const uint8_t i : TubeTriangles) {
                bark.indices.push_back(base + i);
            }
        }
        mesh_.passStats += TubeStats;
        FlushWhenFull();
    }

    void AddLeaf(const Leaf& leaf, const MeshFrame& top) {
        MeshFrame frame = top;
        const float s = LeafScale(leaf);
        frame.Scale(s);
        // Tilted about its own x axis first, then turned about the segment's axis.
        frame.Rotate(leaf.twist, 0.0, 1.0, 0.0);
        frame.Rotate(leaf.angle, 1.0, 0.0, 0.0);
        MeshPart& part = mesh_.leaves;
        const uint32_t base = static_cast<uint32_t>(part.vertexCount());
        const std::array<float, 4> colour = LeafAmbient(leaf.jitter);
        for (const LeafCorner& corner : LeafQuad) {
            float p[3], n[3];
            frame.Point(corner.position, p);
            frame.Normal(corner.normal, n);
            Append(part, p, n, corner.tex[0], corner.tex[1]);
            for (const float c : colour) {
                mesh_.leafColours.push_back(c);
            }
        }
        if (indices_) {
            for (const uint32_t i : {base, base + 1, base + 2, base, base + 2, base + 3}) {
                part.indices.push_back(i);
            }
        }
        mesh_.passStats += LeafStats;
        FlushWhenFull();
    }

    void FlushWhenFull() {
        if (take_ && (mesh_.bark.vertexCount() >= pieceVertices_ ||
                      mesh_.leaves.vertexCount() >= pieceVertices_)) {
            Flush();
        }
    }

    TreeMesh& mesh_;
    float scale_;
    bool indices_;
    size_t pieceVertices_ = 0;
    const std::function<void(const TreeMesh&)>* take_ = nullptr;
};

template <typename T> size_t Bytes(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

size_t PartBytes(const MeshPart& p) {
    return Bytes(p.positions) + Bytes(p.normals) + Bytes(p.texCoords) + Bytes(p.indices);
}

void Reserve(MeshPart& part, size_t vertices, size_t triangles) {
    part.positions.reserve(3 * vertices);
    part.normals.reserve(3 * vertices);
    part.texCoords.reserve(2 * vertices);
    part.indices.reserve(3 * triangles);
}

} // namespace

size_t TreeMesh::byteSize() const {
    return PartBytes(bark) + PartBytes(leaves) + Bytes(leafColours);
}

TreeMesh BuildTreeMesh(const TreeModel& model, const TreeParams& params, bool withIndices) {
    TreeMesh mesh;
    mesh.modelGeneration = model.generation();
    mesh.sideBranchScale = params.sseScaleAttenuate;
    // Sized once from the record counts, so the arrays never grow by copying.
    const ModelCounts counts = CountModel(model);
    Reserve(mesh.bark, TubeVertexCount * counts.segments, withIndices ? 12 * counts.segments : 0);
    Reserve(mesh.leaves, 4 * counts.leaves, withIndices ? 2 * counts.leaves : 0);
    mesh.leafColours.reserve(16 * counts.leaves);
    MeshBuilder(mesh, params.sseScaleAttenuate, withIndices).Chain(model.trunk, MeshFrame{});
    return mesh;
}

TreeMesh BuildTreeMeshInPieces(const TreeModel& model, const TreeParams& params,
                               size_t pieceVertices,
                               const std::function<void(const TreeMesh& piece)>& take) {
    TreeMesh mesh;
    mesh.modelGeneration = model.generation();
    mesh.sideBranchScale = params.sseScaleAttenuate;
    pieceVertices = pieceVertices < 64 ? 64 : pieceVertices;
    // A piece may overshoot by one tube or one leaf.
    Reserve(mesh.bark, pieceVertices + TubeVertexCount, 0);
    Reserve(mesh.leaves, pieceVertices + 4, 0);
    mesh.leafColours.reserve(4 * (pieceVertices + 4));
    MeshBuilder builder(mesh, params.sseScaleAttenuate, false);
    builder.HandOver(pieceVertices, &take);
    builder.Chain(model.trunk, MeshFrame{});
    builder.Flush();
    return TreeMesh{{}, {}, {}, mesh.passStats, mesh.modelGeneration, mesh.sideBranchScale};
}
