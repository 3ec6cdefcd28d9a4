// Interprets the file level of a .x document: frames with their transforms and
// meshes, animation sets with their keys, and the tick rate.
#include "xfile/XCursor.h"
#include "xfile/XScene.h"

#include <utility>

namespace {

enum KeyType { kRotationKey = 0, kScaleKey = 1, kPositionKey = 2, kMatrixKey = 4 };

// A mesh referenced many times is read once per reference; this bounds the
// vertices a small file can make the reader build that way.
const size_t kMaxSceneVertices = 16 * 65536;

bool ReadMeshCounted(const XDocument& doc, const XNode& node, XMeshData* out, size_t* vertexTotal, XLoadError* error)
{
    if (!XReadMesh(doc, node, out, error)) return false;
    *vertexTotal += out->positions.size();
    if (*vertexTotal <= kMaxSceneVertices) return true;
    error->message = "the file's meshes hold more than " + std::to_string(kMaxSceneVertices) + " vertices in total";
    error->line = node.line;
    return false;
}

bool ReadFrame(const XDocument& doc, const XNode& node, XFrameData* out, size_t* vertexTotal, XLoadError* error)
{
    out->name.assign(node.name);
    D3DXMatrixIdentity(&out->transform);
    for (const XChild& c : node.children) {
        // Frames are only taken where they are written: a frame reference could
        // make the tree a cycle.
        const XNode* child = c.node ? c.node : doc.Find(c.reference);
        if (!child) continue;
        if (child->type == "FrameTransformMatrix") {
            XCursor in(*child, error);
            if (child->numbers.size() != 16) return in.Fail("expected 16 matrix values");
            if (!in.Matrix(&out->transform, "matrix value")) return false;
        } else if (child->type == "Frame" && c.node) {
            out->children.emplace_back();
            if (!ReadFrame(doc, *child, &out->children.back(), vertexTotal, error)) return false;
        } else if (child->type == "Mesh") {
            out->meshes.emplace_back();
            if (!ReadMeshCounted(doc, *child, &out->meshes.back(), vertexTotal, error)) return false;
        }
    }
    return true;
}

bool ReadKeyTimeAndSize(XCursor& in, float* time, DWORD expectedSize, float previousTime)
{
    DWORD size = 0;
    if (!in.Float(time, "key time") || !in.Count(&size, 1, "key value count")) return false;
    if (size != expectedSize)
        return in.Fail("key has " + std::to_string(size) + " values, expected " + std::to_string(expectedSize));
    if (*time < previousTime) return in.Fail("key times go backwards");
    return true;
}

bool ReadVec3Keys(XCursor& in, DWORD count, std::vector<XVec3Key>* keys)
{
    float previous = -3.402823466e38f;
    for (DWORD k = 0; k < count; ++k) {
        XVec3Key key;
        if (!ReadKeyTimeAndSize(in, &key.time, 3, previous)) return false;
        if (!in.Float(&key.value.x, "key value") || !in.Float(&key.value.y, "key value") ||
            !in.Float(&key.value.z, "key value"))
            return false;
        previous = key.time;
        keys->push_back(key);
    }
    return true;
}

bool ReadRotationKeys(XCursor& in, DWORD count, std::vector<XQuatKey>* keys)
{
    float previous = -3.402823466e38f;
    for (DWORD k = 0; k < count; ++k) {
        XQuatKey key;
        // The file writes w first; the key keeps the file's signs.
        if (!ReadKeyTimeAndSize(in, &key.time, 4, previous)) return false;
        if (!in.Float(&key.value.w, "key value") || !in.Float(&key.value.x, "key value") ||
            !in.Float(&key.value.y, "key value") || !in.Float(&key.value.z, "key value"))
            return false;
        previous = key.time;
        keys->push_back(key);
    }
    return true;
}

// Matrix keys become scale, rotation and translation keys. Rotation keys of
// this format hold the conjugate of the rotation they stand for.
bool ReadMatrixKeys(XCursor& in, DWORD count, XAnimationData* out)
{
    float previous = -3.402823466e38f;
    for (DWORD k = 0; k < count; ++k) {
        float time = 0.0f;
        D3DXMATRIX m;
        if (!ReadKeyTimeAndSize(in, &time, 16, previous) || !in.Matrix(&m, "key value")) return false;
        previous = time;
        XVec3Key scale{time, {}}, translation{time, {}};
        XQuatKey rotation{time, {}};
        if (FAILED(D3DXMatrixDecompose(&scale.value, &rotation.value, &translation.value, &m)))
            return in.Fail("matrix key " + std::to_string(k) + " has a zero scale");
        D3DXQuaternionConjugate(&rotation.value, &rotation.value);
        out->scales.push_back(scale);
        out->rotations.push_back(rotation);
        out->translations.push_back(translation);
    }
    return true;
}

bool ReadAnimationKey(const XNode& node, XAnimationData* out, XLoadError* error)
{
    XCursor in(node, error);
    DWORD type = 0, count = 0;
    if (!in.Index(&type, 5, "key type") || !in.Count(&count, 3, "key count")) return false;
    switch (type) {
    case kRotationKey:
        return ReadRotationKeys(in, count, &out->rotations);
    case kScaleKey:
        return ReadVec3Keys(in, count, &out->scales);
    case kPositionKey:
        return ReadVec3Keys(in, count, &out->translations);
    case kMatrixKey:
        return ReadMatrixKeys(in, count, out);
    default:
        return in.Fail("unsupported key type " + std::to_string(type));
    }
}

bool ReadAnimation(const XDocument& doc, const XNode& node, XAnimationData* out, XLoadError* error)
{
    for (const XChild& c : node.children) {
        if (!c.node) {
            if (out->frameName.empty()) out->frameName.assign(c.reference);
            continue;
        }
        if (c.node->type == "AnimationKey" && !ReadAnimationKey(*c.node, out, error)) return false;
    }
    return true;
}

bool ReadAnimationSet(const XDocument& doc, const XNode& node, XAnimationSetData* out, XLoadError* error)
{
    out->name.assign(node.name);
    for (const XChild& c : node.children) {
        const XNode* child = c.node;
        if (!child || child->type != "Animation") continue;
        out->animations.emplace_back();
        if (!ReadAnimation(doc, *child, &out->animations.back(), error)) return false;
    }
    return true;
}

} // namespace

bool XReadScene(const XDocument& doc, XSceneData* out, XLoadError* error)
{
    size_t vertexTotal = 0;
    for (const XNode* node : doc.TopLevel()) {
        if (node->type == "Frame") {
            out->roots.emplace_back();
            if (!ReadFrame(doc, *node, &out->roots.back(), &vertexTotal, error)) return false;
        } else if (node->type == "Mesh") {
            XFrameData holder;
            D3DXMatrixIdentity(&holder.transform);
            holder.meshes.emplace_back();
            if (!ReadMeshCounted(doc, *node, &holder.meshes.back(), &vertexTotal, error)) return false;
            out->roots.push_back(std::move(holder));
        } else if (node->type == "AnimationSet") {
            out->animationSets.emplace_back();
            if (!ReadAnimationSet(doc, *node, &out->animationSets.back(), error)) return false;
        } else if (node->type == "AnimTicksPerSecond") {
            XCursor in(*node, error);
            DWORD ticks = 0;
            if (!in.Count(&ticks, 0, "ticks per second")) return false;
            if (ticks == 0) return in.Fail("ticks per second must be positive");
            out->ticksPerSecond = ticks;
        }
    }
    return true;
}
