#include "XTestWriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>

namespace xtest {

namespace {

void Num(std::string& out, float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", (double)v);
    out += buf;
}

void List(std::string& out, const float* v, int n)
{
    for (int i = 0; i < n; ++i) {
        Num(out, v[i]);
        out += ';';
    }
}

void Matrix(std::string& out, const D3DXMATRIX& m)
{
    for (int i = 0; i < 16; ++i) {
        Num(out, (&m._11)[i]);
        out += i == 15 ? ";;" : ",";
    }
    out += '\n';
}

void Faces(std::string& out, const std::vector<Face>& faces)
{
    out += std::to_string(faces.size()) + ";\n";
    for (size_t f = 0; f < faces.size(); ++f)
        out += "3;" + std::to_string(faces[f].a) + "," + std::to_string(faces[f].b) + "," + std::to_string(faces[f].c) +
               (f + 1 == faces.size() ? ";;\n" : ";,\n");
}

void Vectors3(std::string& out, const std::vector<D3DXVECTOR3>& v)
{
    out += std::to_string(v.size()) + ";\n";
    for (size_t i = 0; i < v.size(); ++i) {
        List(out, &v[i].x, 3);
        out += i + 1 == v.size() ? ";\n" : ",\n";
    }
}

void MeshBody(std::string& out, const Mesh& m)
{
    out += "Mesh " + m.name + " {\n";
    Vectors3(out, m.positions);
    Faces(out, m.faces);
    if (!m.normals.empty()) {
        out += "MeshNormals {\n";
        Vectors3(out, m.normals);
        Faces(out, m.faces);
        out += "}\n";
    }
    if (!m.uvs.empty()) {
        out += "MeshTextureCoords {\n" + std::to_string(m.uvs.size()) + ";\n";
        for (size_t i = 0; i < m.uvs.size(); ++i) {
            List(out, &m.uvs[i].x, 2);
            out += i + 1 == m.uvs.size() ? ";\n" : ",\n";
        }
        out += "}\n";
    }
    if (!m.materials.empty()) {
        out += "MeshMaterialList {\n" + std::to_string(m.materials.size()) + ";\n" +
               std::to_string(m.faceMaterials.size()) + ";\n";
        for (size_t f = 0; f < m.faceMaterials.size(); ++f)
            out += std::to_string(m.faceMaterials[f]) + (f + 1 == m.faceMaterials.size() ? ";\n" : ",\n");
        for (const Material& mat : m.materials) {
            out += "Material {\n";
            List(out, mat.rgba, 4);
            out += ";\n";
            Num(out, mat.power);
            out += ";\n";
            List(out, mat.specular, 3);
            out += ";\n";
            List(out, mat.emissive, 3);
            out += ";\n";
            if (!mat.texture.empty()) out += "TextureFilename { \"" + mat.texture + "\"; }\n";
            out += "}\n";
        }
        out += "}\n";
    }
    if (!m.bones.empty()) {
        DWORD maxPerVertex = 0;
        std::vector<DWORD> counts(m.positions.size(), 0);
        for (const Bone& b : m.bones)
            for (DWORD v : b.vertices) maxPerVertex = std::max(maxPerVertex, ++counts[v]);
        out += "XSkinMeshHeader {\n" + std::to_string(maxPerVertex) + ";\n" + std::to_string(maxPerVertex * 3) + ";\n" +
               std::to_string(m.bones.size()) + ";\n}\n";
        for (const Bone& b : m.bones) {
            out += "SkinWeights {\n\"" + b.name + "\";\n" + std::to_string(b.vertices.size()) + ";\n";
            for (size_t i = 0; i < b.vertices.size(); ++i)
                out += std::to_string(b.vertices[i]) + (i + 1 == b.vertices.size() ? ";\n" : ",\n");
            for (size_t i = 0; i < b.weights.size(); ++i) {
                Num(out, b.weights[i]);
                out += i + 1 == b.weights.size() ? ";\n" : ",\n";
            }
            Matrix(out, b.offset);
            out += "}\n";
        }
    }
    out += "}\n";
}

void FrameBody(std::string& out, const Frame& f)
{
    out += "Frame " + f.name + " {\n FrameTransformMatrix {\n";
    Matrix(out, f.transform);
    out += " }\n";
    for (const Mesh& m : f.meshes) MeshBody(out, m);
    for (const Frame& c : f.children) FrameBody(out, c);
    out += "}\n";
}

template <class Key, class Emit>
void Keys(std::string& out, int type, const std::vector<Key>& keys, int size, Emit emit)
{
    out += "AnimationKey {\n" + std::to_string(type) + ";\n" + std::to_string(keys.size()) + ";\n";
    for (size_t k = 0; k < keys.size(); ++k) {
        out += std::to_string(keys[k].time) + ";" + std::to_string(size) + ";";
        emit(keys[k]);
        out += k + 1 == keys.size() ? ";;\n" : ";,\n";
    }
    out += "}\n";
}

} // namespace

std::string WriteMesh(const Mesh& mesh)
{
    std::string out = "xof 0303txt 0032\n";
    MeshBody(out, mesh);
    return out;
}

std::string Write(const Scene& scene)
{
    std::string out = "xof 0303txt 0032\n";
    if (scene.ticksPerSecond) out += "AnimTicksPerSecond {\n" + std::to_string(scene.ticksPerSecond) + ";\n}\n";
    for (const Mesh& m : scene.topMeshes) MeshBody(out, m);
    for (const Frame& f : scene.frames) FrameBody(out, f);
    for (const AnimationSet& set : scene.sets) {
        out += "AnimationSet " + set.name + " {\n";
        for (const Animation& a : set.animations) {
            out += "Animation {\n{ " + a.frame + " }\n";
            auto vec3 = [&](const Vec3Key& k) {
                Num(out, k.value.x);
                out += ',';
                Num(out, k.value.y);
                out += ',';
                Num(out, k.value.z);
            };
            Keys(out, 0, a.rotations, 4, [&](const QuatKey& k) {
                const float wxyz[4] = {k.value.w, k.value.x, k.value.y, k.value.z};
                for (int i = 0; i < 4; ++i) {
                    Num(out, wxyz[i]);
                    if (i < 3) out += ',';
                }
            });
            Keys(out, 1, a.scales, 3, vec3);
            Keys(out, 2, a.translations, 3, vec3);
            out += "}\n";
        }
        out += "}\n";
    }
    return out;
}

Mesh MakeGrid(DWORD rows, DWORD columns, float x0, float y0)
{
    Mesh m;
    m.name = "Terrain";
    for (DWORD j = 0; j < columns; ++j)
        for (DWORD i = 0; i < rows; ++i) {
            const float h = 0.5f * std::sin(0.3f * i) * std::cos(0.2f * j) + 0.001f * (i * 7 + j);
            m.positions.push_back(D3DXVECTOR3(x0 + i, y0 + j, h));
            D3DXVECTOR3 n(-0.1f * std::cos(0.3f * i), 0.05f * std::sin(0.2f * j), 1.0f);
            D3DXVec3Normalize(&n, &n);
            m.normals.push_back(n);
            m.uvs.push_back(D3DXVECTOR2(0.25f * i, 0.25f * j));
        }
    for (DWORD j = 0; j + 1 < columns; ++j)
        for (DWORD i = 0; i + 1 < rows; ++i) {
            const DWORD v00 = j * rows + i, v10 = v00 + 1, v11 = v00 + rows + 1, v01 = v00 + rows;
            m.faces.push_back({v00, v10, v11});
            m.faces.push_back({v00, v11, v01});
        }
    return m;
}

Mesh MakeBox()
{
    Mesh m;
    m.name = "Box";
    // Six sides, four vertices each, wound so that (b - a) x (c - a) points out.
    const D3DXVECTOR3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int s = 0; s < 6; ++s) {
        const D3DXVECTOR3 n = normals[s];
        const D3DXVECTOR3 u = std::fabs(n.z) > 0.5f ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 0, 1);
        D3DXVECTOR3 v;
        D3DXVec3Cross(&v, &n, &u);
        const DWORD base = (DWORD)m.positions.size();
        const float corner[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (const auto& c : corner) {
            m.positions.push_back(n * 0.5f + u * (0.5f * c[0]) + v * (0.5f * c[1]));
            m.normals.push_back(n);
            m.uvs.push_back(D3DXVECTOR2(0.5f + 0.5f * c[0], 0.5f - 0.5f * c[1]));
        }
        Face f1{base, base + 1, base + 2}, f2{base, base + 2, base + 3};
        const D3DXVECTOR3 e1 = m.positions[f1.b] - m.positions[f1.a], e2 = m.positions[f1.c] - m.positions[f1.a];
        D3DXVECTOR3 out;
        D3DXVec3Cross(&out, &e1, &e2);
        if (D3DXVec3Dot(&out, &n) < 0) {
            std::swap(f1.b, f1.c);
            std::swap(f2.b, f2.c);
        }
        m.faces.push_back(f1);
        m.faces.push_back(f2);
        m.faceMaterials.push_back(s < 4 ? 0 : 1);
        m.faceMaterials.push_back(s < 4 ? 0 : 1);
    }
    m.materials.push_back(Material{{0.8f, 0.6f, 0.4f, 1.0f}, 12.5f, {0.1f, 0.2f, 0.3f}, {0, 0, 0.05f}, "crate.png"});
    m.materials.push_back(Material{{0.25f, 0.5f, 0.75f, 0.5f}, 3.0f, {1, 1, 1}, {0, 0, 0}, ""});
    return m;
}

namespace {

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

void Combined(const Frame& f, const D3DXMATRIX& parent, std::vector<std::pair<std::string, D3DXMATRIX>>* out)
{
    const D3DXMATRIX c = f.transform * parent;
    out->push_back({f.name, c});
    for (const Frame& child : f.children) Combined(child, c, out);
}

void AllFrames(const Frame& f, std::vector<std::string>* names)
{
    names->push_back(f.name);
    for (const Frame& c : f.children) AllFrames(c, names);
}

} // namespace

Scene MakeSkinnedFigure(DWORD numSets)
{
    Scene s;
    s.ticksPerSecond = 4800;
    Frame head{"Bip01_Head", Translation(0, 6, 0), {}, {Frame{"Bip01_HeadNub", Translation(0, 4, 0), {}, {}}}};
    Frame spine{"Bip01_Spine", Translation(0, 2, 0), {}, {head}};
    Frame lFoot{"Bip01_L_Foot", Translation(0, -8, 0), {}, {Frame{"Bip01_L_Toe", Translation(0, 0, -3), {}, {}}}};
    Frame rFoot{"Bip01_R_Foot", Translation(0, -8, 0), {}, {Frame{"Bip01_R_Toe", Translation(0, 0, -3), {}, {}}}};
    Frame lThigh{"Bip01_L_Thigh", Translation(2, -1, 0), {}, {lFoot}};
    Frame rThigh{"Bip01_R_Thigh", Translation(-2, -1, 0), {}, {rFoot}};
    Frame pelvis{"Bip01_Pelvis", Translation(0, 10, 0), {}, {spine, lThigh, rThigh}};
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    Frame body{"Body", identity, {}, {}};

    // A column of rings from the feet to the head, skinned by height.
    const char* bones[] = {"Bip01_Pelvis",  "Bip01_Spine",  "Bip01_Head",  "Bip01_L_Thigh",
                           "Bip01_R_Thigh", "Bip01_L_Foot", "Bip01_R_Foot"};
    const int numBones = 7;
    Mesh m;
    m.name = "BodyMesh";
    const int rings = 10, segments = 6;
    for (int r = 0; r < rings; ++r)
        for (int k = 0; k < segments; ++k) {
            const float a = 6.2831853f * k / segments, y = 2.0f * r;
            m.positions.push_back(D3DXVECTOR3(2.0f * std::cos(a), y, 2.0f * std::sin(a)));
            m.normals.push_back(D3DXVECTOR3(std::cos(a), 0, std::sin(a)));
            m.uvs.push_back(D3DXVECTOR2((float)k / segments, (float)r / rings));
        }
    for (int r = 0; r + 1 < rings; ++r)
        for (int k = 0; k < segments; ++k) {
            const DWORD a = r * segments + k, b = r * segments + (k + 1) % segments;
            m.faces.push_back({a, a + segments, b + segments});
            m.faces.push_back({a, b + segments, b});
        }
    m.faceMaterials.assign(m.faces.size(), 0);
    m.materials.push_back(Material{{1, 1, 1, 1}, 0, {0, 0, 0}, {0, 0, 0}, "skin.png"});
    std::vector<std::pair<std::string, D3DXMATRIX>> combined;
    Frame root{"Bip01", identity, {}, {pelvis}};
    Combined(root, identity, &combined);
    for (int b = 0; b < numBones; ++b) {
        Bone bone;
        bone.name = bones[b];
        for (const auto& c : combined)
            if (c.first == bone.name) D3DXMatrixInverse(&bone.offset, nullptr, &c.second);
        m.bones.push_back(bone);
    }
    // Every vertex: two or three weights summing to one across neighbouring bones.
    for (DWORD v = 0; v < m.positions.size(); ++v) {
        const int first = (int)(v / segments) % numBones, second = (first + 1) % numBones,
                  third = (first + 3) % numBones;
        const bool three = v % 2 == 0;
        const float w1 = three ? 0.5f : 0.75f, w2 = 0.25f, w3 = 0.25f;
        m.bones[first].vertices.push_back(v);
        m.bones[first].weights.push_back(w1);
        m.bones[second].vertices.push_back(v);
        m.bones[second].weights.push_back(w2);
        if (three) {
            m.bones[third].vertices.push_back(v);
            m.bones[third].weights.push_back(w3);
        }
    }
    body.meshes.push_back(m);
    root.children.push_back(body);
    s.frames.push_back(root);

    std::vector<std::string> names;
    AllFrames(root, &names);
    for (DWORD set = 0; set < numSets; ++set) {
        AnimationSet as;
        as.name = "Set" + std::to_string(set);
        const DWORD period = 4800 + 160 * set;
        for (size_t f = 0; f < names.size(); ++f) {
            Animation a;
            a.frame = names[f];
            for (DWORD k = 0; k < 3; ++k) {
                const DWORD t = period * k / 2;
                const float ang = 0.1f * (float)(k + set) + 0.01f * (float)f;
                a.rotations.push_back({t, D3DXQUATERNION(-std::sin(ang / 2), 0.0f, 0.0f, std::cos(ang / 2))});
                a.scales.push_back({t, D3DXVECTOR3(1.0f, 1.0f + 0.125f * k, 1.0f)});
                a.translations.push_back({t, D3DXVECTOR3((float)f, 0.5f * (float)set, -0.25f * (float)k)});
            }
            as.animations.push_back(a);
        }
        s.sets.push_back(as);
    }
    return s;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

} // namespace xtest
