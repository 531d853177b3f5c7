#include "export/ObjWriter.h"

#include <charconv>
#include <string>

namespace {

// Collects text and hands it to the stream in large blocks.
class TextOut {
public:
    TextOut(std::ostream& out, const ExportProgress& progress, size_t totalLines)
        : out_(out), progress_(progress), total_(totalLines ? totalLines : 1) {
        buffer_.reserve(BlockBytes + 256);
    }
    ~TextOut() { Flush(); }

    TextOut& operator<<(const std::string& s) {
        buffer_ += s;
        return *this;
    }
    TextOut& operator<<(const char* s) {
        buffer_ += s;
        return *this;
    }
    TextOut& operator<<(float v) {
        char text[32];
        buffer_.append(text, std::to_chars(text, text + sizeof text, v).ptr);
        return *this;
    }
    TextOut& operator<<(uint64_t v) {
        char text[24];
        buffer_.append(text, std::to_chars(text, text + sizeof text, v).ptr);
        return *this;
    }
    // Ends a line; hands the text over when enough has gathered.
    void EndLine() {
        buffer_ += '\n';
        ++lines_;
        if (buffer_.size() >= BlockBytes) {
            Flush();
        }
    }
    void Flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        buffer_.clear();
        if (progress_) {
            progress_(static_cast<double>(lines_) / static_cast<double>(total_));
        }
    }
    bool good() const { return out_.good(); }

private:
    static constexpr size_t BlockBytes = 1 << 20;
    std::ostream& out_;
    const ExportProgress& progress_;
    size_t total_;
    size_t lines_ = 0;
    std::string buffer_;
};

// Both stop as soon as the stream fails (a full disk, a stop request): the rest of the
// text would be formatted for nothing.
void Vertices(TextOut& text, const MeshPart& part) {
    for (size_t v = 0; v < part.vertexCount() && text.good(); ++v) {
        float p[3];
        PositionInMetres(&part.positions[3 * v], p);
        text << "v " << p[0] << " " << p[1] << " " << p[2];
        text.EndLine();
    }
    for (size_t v = 0; v < part.vertexCount() && text.good(); ++v) {
        // The mesh counts t from the picture's top row, OBJ counts v from its bottom.
        text << "vt " << part.texCoords[2 * v] << " " << 1.0f - part.texCoords[2 * v + 1];
        text.EndLine();
    }
    for (size_t v = 0; v < part.vertexCount() && text.good(); ++v) {
        float n[3];
        UnitNormal(&part.normals[3 * v], n);
        text << "vn " << n[0] << " " << n[1] << " " << n[2];
        text.EndLine();
    }
}

void Faces(TextOut& text, const MeshPart& part, uint64_t first, const char* group,
           const char* material) {
    text << "g " << group;
    text.EndLine();
    text << "usemtl " << material;
    text.EndLine();
    for (size_t i = 0; i + 2 < part.indices.size() && text.good(); i += 3) {
        text << "f";
        for (int k = 0; k < 3; ++k) {
            const uint64_t index = first + part.indices[i + k];
            text << " " << index << "/" << index << "/" << index;
        }
        text.EndLine();
    }
}

} // namespace

bool WriteObj(std::ostream& out, const TreeMesh& mesh, const std::string& mtlFileName,
              const ExportInfo& info, const ExportProgress& progress) {
    const size_t lines = 3 * (mesh.bark.vertexCount() + mesh.leaves.vertexCount()) +
                         mesh.bark.triangleCount() + mesh.leaves.triangleCount();
    TextOut text(out, progress, lines);
    text << "# " << GeneratorName() << ": a tree grown by recursive branching, in metres, y up";
    text.EndLine();
    text << "# seed " << uint64_t(info.seed);
    text.EndLine();
    for (int row = 0; row < ParamCount; ++row) {
        text << "# " << ParamTable[row].name << " = " << info.parameters[row];
        text.EndLine();
    }
    text << "mtllib " << mtlFileName;
    text.EndLine();
    text << "o tree";
    text.EndLine();
    Vertices(text, mesh.bark);
    Vertices(text, mesh.leaves);
    if (!mesh.bark.indices.empty()) {
        Faces(text, mesh.bark, 1, "bark", "bark");
    }
    if (!mesh.leaves.indices.empty()) {
        Faces(text, mesh.leaves, 1 + mesh.bark.vertexCount(), "leaves", "leaf");
    }
    text.Flush();
    return text.good();
}

bool WriteMtl(std::ostream& out, const std::string& barkPngName, const std::string& leafPngName) {
    out << "# " << GeneratorName() << ": bark and leaf of the tree\n"
        << "newmtl bark\n"
        << "Ka 0 0 0\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n"
        << "map_Kd " << barkPngName << "\n\n"
        << "newmtl leaf\n"
        << "Ka 0 0 0\nKd 1 1 1\nKs 0 0 0\nd 1\nillum 1\n"
        << "map_Kd " << leafPngName << "\n"
        << "map_d " << leafPngName << "\n";
    return out.good();
}
