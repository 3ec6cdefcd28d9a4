// Collapses a scene into one mesh, as the single-mesh loader returns it: every
// mesh in frame order, moved by its frame's combined transform, with its
// materials appended after those of the meshes before it.
#include "xfile/XCursor.h"
#include "xfile/XScene.h"

namespace {

void AppendMesh(const XMeshData& mesh, const D3DXMATRIX& transform, XMeshData* out)
{
    const DWORD base = (DWORD)out->positions.size();
    const DWORD materialBase = (DWORD)out->materials.size();
    const bool identity = D3DXMatrixIsIdentity(&transform) != FALSE;
    // Normals go through the inverse transpose so that scaled frames keep them
    // perpendicular to their faces.
    D3DXMATRIX normalMatrix = transform;
    if (!identity && D3DXMatrixInverse(&normalMatrix, nullptr, &transform))
        D3DXMatrixTranspose(&normalMatrix, &normalMatrix);
    if (identity) {
        // The usual case (a file of one mesh, like every terrain grid): the arrays as they are.
        out->positions.insert(out->positions.end(), mesh.positions.begin(), mesh.positions.end());
        out->normals.insert(out->normals.end(), mesh.normals.begin(), mesh.normals.end());
    } else {
        for (size_t v = 0; v < mesh.positions.size(); ++v) {
            D3DXVECTOR3 p = mesh.positions[v], n = mesh.normals[v];
            D3DXVec3TransformCoord(&p, &p, &transform);
            D3DXVec3TransformNormal(&n, &n, &normalMatrix);
            D3DXVec3Normalize(&n, &n);
            out->positions.push_back(p);
            out->normals.push_back(n);
        }
    }
    out->uvs.insert(out->uvs.end(), mesh.uvs.begin(), mesh.uvs.end());
    out->indices.reserve(out->indices.size() + mesh.indices.size());
    for (DWORD index : mesh.indices) out->indices.push_back(base + index);
    out->attributes.reserve(out->attributes.size() + mesh.attributes.size());
    for (DWORD attribute : mesh.attributes) out->attributes.push_back(materialBase + attribute);
    out->materials.insert(out->materials.end(), mesh.materials.begin(), mesh.materials.end());
    out->hasNormals = out->hasNormals || mesh.hasNormals;
}

void AppendFrame(const XFrameData& frame, const D3DXMATRIX& parent, XMeshData* out)
{
    const D3DXMATRIX combined = frame.transform * parent;
    for (const XMeshData& mesh : frame.meshes) {
        if (out->name.empty() && out->positions.empty()) {
            out->name = mesh.name;
            out->line = mesh.line;
        }
        AppendMesh(mesh, combined, out);
    }
    for (const XFrameData& child : frame.children) AppendFrame(child, combined, out);
}

} // namespace

bool XCollapseScene(const XSceneData& scene, XMeshData* out, XLoadError* error)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    size_t vertexCount = 0, meshCount = 0;
    struct Counter
    {
        static void Count(const XFrameData& f, size_t* vertices, size_t* meshes)
        {
            for (const XMeshData& m : f.meshes) {
                *vertices += m.positions.size();
                ++*meshes;
            }
            for (const XFrameData& c : f.children) Count(c, vertices, meshes);
        }
    };
    for (const XFrameData& root : scene.roots) Counter::Count(root, &vertexCount, &meshCount);
    if (meshCount == 0) {
        error->message = "the file holds no mesh";
        error->line = 0;
        return false;
    }
    if (vertexCount > kXMaxVertices) {
        error->message = "the file's meshes have " + std::to_string(vertexCount) + " vertices together; at most " +
                         std::to_string(kXMaxVertices) + " fit 16-bit indices";
        error->line = 0;
        return false;
    }
    for (const XFrameData& root : scene.roots) AppendFrame(root, identity, out);
    return true;
}
