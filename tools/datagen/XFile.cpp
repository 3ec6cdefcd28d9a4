#include "XFile.h"

#include <cstdarg>
#include <cstdio>

namespace gen {
namespace {

class TextOut
{
public:
    void Line(const char* fmt, ...) __attribute__((format(printf, 2, 3)))
    {
        char buf[512];
        va_list args;
        va_start(args, fmt);
        vsnprintf(buf, sizeof buf, fmt, args);
        va_end(args);
        text_ += indent_;
        text_ += buf;
        text_ += '\n';
    }
    void Open(const std::string& head)
    {
        Line("%s {", head.c_str());
        indent_ += ' ';
    }
    void Close()
    {
        indent_.pop_back();
        Line("}");
    }
    std::string& Text() { return text_; }

private:
    std::string text_;
    std::string indent_;
};

// Writes "-0.000000" as "0.000000" so that tiny rounding noise cannot change the bytes.
std::string F(float v)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%.6f", v);
    if (std::string(buf) == "-0.000000") return "0.000000";
    return buf;
}

const char* Sep(size_t i, size_t n)
{
    return i + 1 < n ? "," : ";";
}

void WriteMatrix(TextOut& out, const Mat4& m)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) s += F(m.m[i][j]) + (i == 3 && j == 3 ? ";;" : ",");
    out.Line("%s", s.c_str());
}

void WriteFaces(TextOut& out, const Mesh& mesh)
{
    out.Line("%zu;", mesh.tris.size());
    for (size_t i = 0; i < mesh.tris.size(); ++i) {
        const auto& t = mesh.tris[i];
        out.Line("3;%u,%u,%u;%s", t[0], t[1], t[2], Sep(i, mesh.tris.size()));
    }
}

void WriteMeshBody(TextOut& out, const Mesh& mesh, const std::string& name)
{
    out.Open("Mesh " + name);
    out.Line("%zu;", mesh.verts.size());
    for (size_t i = 0; i < mesh.verts.size(); ++i) {
        const Vec3& p = mesh.verts[i].p;
        out.Line("%s;%s;%s;%s", F(p.x).c_str(), F(p.y).c_str(), F(p.z).c_str(), Sep(i, mesh.verts.size()));
    }
    WriteFaces(out, mesh);
    out.Open("MeshNormals");
    out.Line("%zu;", mesh.verts.size());
    for (size_t i = 0; i < mesh.verts.size(); ++i) {
        const Vec3& n = mesh.verts[i].n;
        out.Line("%s;%s;%s;%s", F(n.x).c_str(), F(n.y).c_str(), F(n.z).c_str(), Sep(i, mesh.verts.size()));
    }
    WriteFaces(out, mesh); // normal indices identical to the positions: no vertex split
    out.Close();
    out.Open("MeshTextureCoords");
    out.Line("%zu;", mesh.verts.size());
    for (size_t i = 0; i < mesh.verts.size(); ++i)
        out.Line("%s;%s;%s", F(mesh.verts[i].u).c_str(), F(mesh.verts[i].v).c_str(), Sep(i, mesh.verts.size()));
    out.Close();
    out.Open("MeshMaterialList");
    out.Line("1;");
    out.Line("%zu;", mesh.tris.size());
    for (size_t i = 0; i < mesh.tris.size(); ++i) out.Line("0%s", i + 1 < mesh.tris.size() ? "," : ";");
    out.Open("Material");
    out.Line("1.000000;1.000000;1.000000;1.000000;;");
    out.Line("0.000000;");
    out.Line("0.000000;0.000000;0.000000;;");
    out.Line("0.000000;0.000000;0.000000;;");
    out.Close(); // Material
    out.Close(); // MeshMaterialList
    out.Close(); // Mesh
}

void WriteSkin(TextOut& out, const SkinnedModel& model)
{
    out.Open("XSkinMeshHeader");
    out.Line("%d;", model.maxWeightsPerVertex);
    out.Line("%d;", model.maxWeightsPerFace);
    out.Line("%zu;", model.bones.size());
    out.Close();
    for (const SkinBone& b : model.bones) {
        out.Open("SkinWeights");
        out.Line("\"%s\";", b.name.c_str());
        out.Line("%zu;", b.vertices.size());
        for (size_t i = 0; i < b.vertices.size(); ++i) out.Line("%u%s", b.vertices[i], Sep(i, b.vertices.size()));
        for (size_t i = 0; i < b.weights.size(); ++i)
            out.Line("%s%s", F(b.weights[i]).c_str(), Sep(i, b.weights.size()));
        WriteMatrix(out, b.offset);
        out.Close();
    }
}

void WriteFrame(TextOut& out, const SkinnedModel& model, int index)
{
    const FrameNode& f = model.frames[index];
    out.Open("Frame " + f.name);
    out.Open("FrameTransformMatrix");
    WriteMatrix(out, f.local);
    out.Close();
    if (f.holdsMesh) {
        // The skin has to close inside the Mesh block, so write the body by hand.
        TextOut body;
        WriteMeshBody(body, model.mesh, f.name + "Mesh");
        std::string text = body.Text();
        const size_t lastBrace = text.rfind('}');
        std::string skin;
        {
            TextOut s;
            WriteSkin(s, model);
            skin = s.Text();
        }
        text.insert(lastBrace, skin);
        // Re-indent the inserted block under the current frame.
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            out.Line(" %s", text.substr(start, end - start).c_str());
            start = end + 1;
        }
    }
    for (int child : f.children) WriteFrame(out, model, child);
    out.Close();
}

void WriteKeys(TextOut& out, const AnimTrack& track, int type)
{
    out.Open("AnimationKey");
    out.Line("%d;", type);
    out.Line("%zu;", track.keys.size());
    for (size_t i = 0; i < track.keys.size(); ++i) {
        const PosKey& k = track.keys[i];
        const char* end = i + 1 < track.keys.size() ? ";;," : ";;;";
        if (type == 0) {
            // The sampler inverts each key before use, so store the inverse (the conjugate).
            out.Line("%d;4;%s,%s,%s,%s%s", k.time, F(k.rotation.w).c_str(), F(-k.rotation.x).c_str(),
                     F(-k.rotation.y).c_str(), F(-k.rotation.z).c_str(), end);
        } else {
            const Vec3& v = type == 1 ? k.scale : k.translation;
            out.Line("%d;3;%s,%s,%s%s", k.time, F(v.x).c_str(), F(v.y).c_str(), F(v.z).c_str(), end);
        }
    }
    out.Close();
}

} // namespace

std::string StaticMeshText(const Mesh& mesh, const std::string& name)
{
    TextOut out;
    out.Line("xof 0303txt 0032");
    WriteMeshBody(out, mesh, name);
    return out.Text();
}

std::string SkinnedModelText(const SkinnedModel& model)
{
    TextOut out;
    out.Line("xof 0303txt 0032");
    WriteFrame(out, model, 0);
    out.Open("AnimTicksPerSecond");
    out.Line("%d;", model.ticksPerSecond);
    out.Close();
    for (const AnimSet& set : model.sets) {
        out.Open("AnimationSet " + set.name);
        for (const AnimTrack& track : set.tracks) {
            out.Open("Animation");
            out.Line("{%s}", track.frame.c_str());
            WriteKeys(out, track, 0);
            WriteKeys(out, track, 1);
            WriteKeys(out, track, 2);
            out.Close();
        }
        out.Close();
    }
    return out.Text();
}

} // namespace gen
