// Interprets a "Mesh" data object and the standard templates nested in it:
// MeshNormals, MeshTextureCoords, MeshMaterialList (with Material and
// TextureFilename), XSkinMeshHeader and SkinWeights. Anything else is skipped.
#include "xfile/XCursor.h"
#include "xfile/XScene.h"

#include <algorithm>

namespace {

const DWORD kNone = 0xFFFFFFFFu;

// Polygons as the file lists them: corner vertex indices, face by face.
struct Polygons
{
    std::vector<DWORD> corners;
    std::vector<DWORD> sizes;
};

bool ReadPolygons(XCursor& in, DWORD faceCount, DWORD vertexLimit, const Polygons* expected, Polygons* out)
{
    out->sizes.reserve(faceCount);
    // Room for triangles; every corner is a number the object holds, so this never exceeds the file.
    out->corners.reserve(std::min(size_t(faceCount) * 3, in.Remaining()));
    for (DWORD f = 0; f < faceCount; ++f) {
        DWORD n = 0;
        if (!in.Count(&n, 1, "face corner count")) return false;
        if (n < 3) return in.Fail("face " + std::to_string(f) + " has fewer than 3 corners");
        if (expected && n != expected->sizes[f])
            return in.Fail("face " + std::to_string(f) + " does not match the mesh face's corner count");
        for (DWORD k = 0; k < n; ++k) {
            DWORD v = 0;
            if (!in.Index(&v, vertexLimit, "face index")) return false;
            out->corners.push_back(v);
        }
        out->sizes.push_back(n);
    }
    return true;
}

bool ReadVectors3(XCursor& in, DWORD count, std::vector<D3DXVECTOR3>* out, const char* what)
{
    out->resize(count);
    for (D3DXVECTOR3& v : *out)
        if (!in.Float(&v.x, what) || !in.Float(&v.y, what) || !in.Float(&v.z, what)) return false;
    return true;
}

struct RawMesh
{
    std::vector<D3DXVECTOR3> positions;
    Polygons faces;
    std::vector<D3DXVECTOR3> normals;
    Polygons normalFaces;
    bool hasNormals = false;
    std::vector<D3DXVECTOR2> uvs;
    std::vector<DWORD> faceMaterials;
    std::vector<XMaterialData> materials;
    std::vector<XBoneData> bones; // vertex indices still the file's
};

bool ReadNormals(const XNode& node, RawMesh* mesh, XLoadError* error)
{
    XCursor in(node, error);
    DWORD count = 0, faceCount = 0;
    if (!in.Count(&count, 3, "normal count") || !ReadVectors3(in, count, &mesh->normals, "normal")) return false;
    if (!in.Count(&faceCount, 4, "normal face count")) return false;
    if (faceCount != mesh->faces.sizes.size())
        return in.Fail("normal face count " + std::to_string(faceCount) + " differs from the mesh's " +
                       std::to_string(mesh->faces.sizes.size()));
    mesh->hasNormals = true;
    return ReadPolygons(in, faceCount, count, &mesh->faces, &mesh->normalFaces);
}

bool ReadTextureCoords(const XNode& node, RawMesh* mesh, XLoadError* error)
{
    XCursor in(node, error);
    DWORD count = 0;
    if (!in.Count(&count, 2, "texture coordinate count")) return false;
    if (count != mesh->positions.size())
        return in.Fail("texture coordinate count " + std::to_string(count) + " differs from the vertex count " +
                       std::to_string(mesh->positions.size()));
    mesh->uvs.resize(count);
    for (D3DXVECTOR2& uv : mesh->uvs)
        if (!in.Float(&uv.x, "texture coordinate") || !in.Float(&uv.y, "texture coordinate")) return false;
    return true;
}

bool ReadMaterial(const XDocument& doc, const XNode& node, XMaterialData* out, XLoadError* error)
{
    XCursor in(node, error);
    D3DMATERIAL9& m = out->material;
    float* colour[] = {&m.Diffuse.r,  &m.Diffuse.g,  &m.Diffuse.b,  &m.Diffuse.a,  &m.Power,     &m.Specular.r,
                       &m.Specular.g, &m.Specular.b, &m.Emissive.r, &m.Emissive.g, &m.Emissive.b};
    for (float* f : colour)
        if (!in.Float(f, "material value")) return false;
    m.Specular.a = 1.0f;
    m.Emissive.a = 1.0f;
    for (const XChild& c : node.children) {
        const XNode* child = doc.Resolve(c);
        if (child && child->type == "TextureFilename" && !child->strings.empty()) {
            out->textureFile.assign(child->strings[0]);
            break;
        }
    }
    return true;
}

bool ReadMaterialList(const XDocument& doc, const XNode& node, RawMesh* mesh, XLoadError* error)
{
    XCursor in(node, error);
    DWORD materialCount = 0, indexCount = 0;
    if (!in.Count(&materialCount, 0, "material count") || !in.Count(&indexCount, 1, "face material count"))
        return false;
    const size_t faceCount = mesh->faces.sizes.size();
    if (indexCount > faceCount) return in.Fail("more face materials than faces");
    if (materialCount > node.children.size()) return in.Fail("fewer materials than the material count");
    mesh->faceMaterials.resize(faceCount, 0);
    for (DWORD f = 0; f < indexCount; ++f)
        if (!in.Index(&mesh->faceMaterials[f], materialCount, "face material")) return false;
    // A short list repeats its last entry for the remaining faces.
    for (size_t f = indexCount; f < faceCount && indexCount > 0; ++f)
        mesh->faceMaterials[f] = mesh->faceMaterials[indexCount - 1];
    for (const XChild& c : node.children) {
        if (mesh->materials.size() == materialCount) break;
        const XNode* child = doc.Resolve(c);
        if (!child) return in.Fail("reference to unknown material \"" + std::string(c.reference) + "\"");
        if (child->type != "Material") continue;
        mesh->materials.emplace_back();
        if (!ReadMaterial(doc, *child, &mesh->materials.back(), error)) return false;
    }
    if (mesh->materials.size() != materialCount) return in.Fail("fewer materials than the material count");
    return true;
}

bool ReadSkinWeights(const XNode& node, RawMesh* mesh, XLoadError* error)
{
    XCursor in(node, error);
    if (node.strings.empty()) return in.Fail("missing bone name");
    XBoneData bone;
    bone.name.assign(node.strings[0]);
    DWORD count = 0;
    if (!in.Count(&count, 2, "weight count")) return false;
    if (in.Remaining() < (size_t)count * 2 + 16) return in.Fail("weight count exceeds the data present");
    bone.vertices.resize(count);
    bone.weights.resize(count);
    for (DWORD& v : bone.vertices)
        if (!in.Index(&v, (DWORD)mesh->positions.size(), "weighted vertex")) return false;
    for (float& w : bone.weights)
        if (!in.Float(&w, "weight")) return false;
    if (!in.Matrix(&bone.offset, "offset matrix")) return false;
    mesh->bones.push_back(std::move(bone));
    return true;
}

// Gives every face corner its own normal; a vertex met with a second normal is
// repeated at the end so that the file's vertices keep their indices.
void ApplyNormals(const RawMesh& raw, std::vector<DWORD>* corners, XMeshData* out, std::vector<DWORD>* source)
{
    const size_t fileVertices = out->positions.size();
    std::vector<DWORD> normalOf(fileVertices, kNone);
    std::vector<DWORD> nextCopy(fileVertices, kNone); // chain of repeats per vertex
    for (size_t k = 0; k < corners->size(); ++k) {
        DWORD v = (*corners)[k];
        const DWORD n = raw.normalFaces.corners[k];
        if (normalOf[v] == kNone) {
            normalOf[v] = n;
            out->normals[v] = raw.normals[n];
            continue;
        }
        while (normalOf[v] != n && nextCopy[v] != kNone) v = nextCopy[v];
        if (normalOf[v] != n) {
            const DWORD copy = (DWORD)out->positions.size();
            const DWORD from = (*source)[v];
            const D3DXVECTOR3 position = out->positions[from]; // a copy: the push may move the array
            out->positions.push_back(position);
            out->normals.push_back(raw.normals[n]);
            const D3DXVECTOR2 uv = out->uvs[from];
            out->uvs.push_back(uv);
            source->push_back(from);
            normalOf.push_back(n);
            nextCopy.push_back(kNone);
            nextCopy[v] = copy;
            v = copy;
        }
        (*corners)[k] = v;
    }
}

void Triangulate(const Polygons& faces, const std::vector<DWORD>& corners, const std::vector<DWORD>& faceMaterials,
                 XMeshData* out)
{
    // A polygon of n corners fans into n - 2 triangles.
    const size_t triangles = corners.size() - 2 * faces.sizes.size();
    out->indices.reserve(triangles * 3);
    out->attributes.reserve(triangles);
    size_t at = 0;
    for (size_t f = 0; f < faces.sizes.size(); ++f) {
        const DWORD n = faces.sizes[f];
        for (DWORD k = 1; k + 1 < n; ++k) {
            out->indices.push_back(corners[at]);
            out->indices.push_back(corners[at + k]);
            out->indices.push_back(corners[at + k + 1]);
            out->attributes.push_back(faceMaterials.empty() ? 0 : faceMaterials[f]);
        }
        at += n;
    }
}

bool BuildMesh(RawMesh& raw, XMeshData* out, XCursor& in)
{
    const DWORD fileVertices = (DWORD)raw.positions.size();
    out->positions = std::move(raw.positions);
    out->normals.assign(fileVertices, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    if (raw.uvs.empty())
        out->uvs.assign(fileVertices, D3DXVECTOR2(0.0f, 0.0f));
    else
        out->uvs = std::move(raw.uvs);
    out->hasNormals = raw.hasNormals;
    std::vector<DWORD> corners = std::move(raw.faces.corners);
    std::vector<DWORD> source(fileVertices);
    for (DWORD v = 0; v < fileVertices; ++v) source[v] = v;
    if (raw.hasNormals) ApplyNormals(raw, &corners, out, &source);
    if (out->positions.size() > kXMaxVertices)
        return in.Fail("needs " + std::to_string(out->positions.size()) + " vertices; at most " +
                       std::to_string(kXMaxVertices) + " fit 16-bit indices");
    Triangulate(raw.faces, corners, raw.faceMaterials, out);
    out->materials = std::move(raw.materials);
    // Repeated vertices carry the weights of the vertex they repeat.
    std::vector<std::vector<DWORD>> copies(fileVertices);
    for (DWORD v = fileVertices; v < source.size(); ++v) copies[source[v]].push_back(v);
    for (XBoneData& bone : raw.bones) {
        const size_t n = bone.vertices.size();
        for (size_t i = 0; i < n; ++i)
            for (DWORD copy : copies[bone.vertices[i]]) {
                const float weight = bone.weights[i];
                bone.vertices.push_back(copy);
                bone.weights.push_back(weight);
            }
        out->bones.push_back(std::move(bone));
    }
    return true;
}

} // namespace

bool XReadMesh(const XDocument& doc, const XNode& node, XMeshData* out, XLoadError* error)
{
    XCursor in(node, error);
    RawMesh raw;
    DWORD vertexCount = 0, faceCount = 0;
    if (!in.Count(&vertexCount, 3, "vertex count")) return false;
    if (vertexCount > kXMaxVertices)
        return in.Fail(std::to_string(vertexCount) + " vertices; at most " + std::to_string(kXMaxVertices) +
                       " fit 16-bit indices");
    if (!ReadVectors3(in, vertexCount, &raw.positions, "vertex")) return false;
    if (!in.Count(&faceCount, 4, "face count") || !ReadPolygons(in, faceCount, vertexCount, nullptr, &raw.faces))
        return false;
    out->name.assign(node.name);
    out->line = node.line;
    for (const XChild& c : node.children) {
        const XNode* child = doc.Resolve(c);
        if (!child) continue; // a reference to something this reader does not use
        bool ok = true;
        if (child->type == "MeshNormals" && !raw.hasNormals)
            ok = ReadNormals(*child, &raw, error);
        else if (child->type == "MeshTextureCoords" && raw.uvs.empty())
            ok = ReadTextureCoords(*child, &raw, error);
        else if (child->type == "MeshMaterialList" && raw.faceMaterials.empty())
            ok = ReadMaterialList(doc, *child, &raw, error);
        else if (child->type == "SkinWeights")
            ok = ReadSkinWeights(*child, &raw, error);
        else if (child->type == "XSkinMeshHeader") {
            out->hasSkinHeader = true;
            const double declared = child->numbers.empty() ? 0.0 : child->numbers[0];
            out->maxVertexInfluences = declared > 0.0 && declared < 256.0 ? (DWORD)declared : 0;
        }
        if (!ok) return false;
    }
    return BuildMesh(raw, out, in);
}
