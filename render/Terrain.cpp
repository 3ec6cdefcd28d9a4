#include "render/Terrain.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include <d3dx9mesh.h>

#include "core/ConfigSyntax.h"
#include "core/ErrorReport.h"
#include "core/GameFiles.h"
#include "core/Resources.h"
#include "physics/PhysicsSettings.h"

namespace {

// The techniques a ground is drawn with: the lit opaque pair, each with a
// twin the frame draws far tiles with (SceneDrawer). A heightmap file naming
// another gets the default ground's.
const char* const kGroundTechniques[] = {kDefaultGroundTechnique, "PhongNoSpecOpaque"};

// A material or texture id names an entry of its table, or none.
const ConfigRange<int> kMaterialIds{0, kNoMaterial};
const ConfigRange<int> kTextureIds{0, kNoTexture};
const ConfigRange<float> kElasticities{0.0f, kMaxElasticity};
const ConfigRange<float> kFrictions{0.0f, kMaxFriction};

bool IsGroundTechnique(const std::string& name)
{
    for (const char* technique : kGroundTechniques) {
        if (name == technique) return true;
    }
    return false;
}

// "a ground technique (Phong1Opaque or PhongNoSpecOpaque)"
std::string GroundTechniquesText()
{
    std::string text = "a ground technique (";
    for (const char* technique : kGroundTechniques) {
        if (technique != kGroundTechniques[0]) text += " or ";
        text += technique;
    }
    return text + ")";
}

} // namespace

Terrain::Terrain(IDirect3DDevice9* device_) : device(device_) {}

Terrain::Terrain(const std::string& hmpFile, const std::string& meshFile, IDirect3DDevice9* device_) : device(device_)
{
    LoadConfig(hmpFile.c_str());
    Load(meshFile);
}

Terrain::Terrain(const char* meshFile, int rows, int columns, const char* technique, int texture, int material,
                 float diff, float elasticity, float staticFriction, float dynamicFriction, IDirect3DDevice9* device_)
    : device(device_)
{
    ground.ROWS = rows;
    ground.COLUMNS = columns;
    ground.DIFF = diff;
    ground.elasticity = elasticity;
    ground.staticFriction = staticFriction;
    ground.dynamicFriction = dynamicFriction;
    mesh.technique = technique != nullptr ? technique : "";
    mesh.materialId = material;
    mesh.textureId = texture;
    Load(meshFile != nullptr ? meshFile : "");
}

bool Terrain::LoadConfig(const char* path)
{
    std::ifstream in(ResolveGamePath(path != nullptr ? path : ""));
    if (!in) {
        REPORT_ERROR(std::string("Could not open heightmap file: ") + (path != nullptr ? path : "(null)"));
        return false;
    }
    const std::string file = path;
    // Each key is searched for after the previous one; a key that is not found,
    // or whose value is no number at all, leaves it and all later keys as they
    // were. A number outside its range is reported and the default taken.
    const char* missing = nullptr;
    std::string word;
    auto seek = [&](const char* key) {
        if (missing != nullptr) {
            return false;
        }
        while (in >> word) {
            if (word == key) {
                if (in >> word) return true;
                break;
            }
        }
        missing = key;
        return false;
    };
    auto read = [&](const char* key, auto& field, const auto& range, auto fallback) {
        auto value = field;
        if (!ParseConfigNumber(word, value)) {
            missing = key;
        } else if (range.Holds(value)) {
            field = value;
        } else {
            REPORT_ERROR(ConfigValueReport(file, key, word, range.Describe(), ConfigNumberText(fallback)));
            field = fallback;
        }
    };
    if (seek("TECHNIQUE")) {
        mesh.technique = IsGroundTechnique(word) ? word : kDefaultGroundTechnique;
        if (mesh.technique != word) {
            REPORT_ERROR(ConfigValueReport(file, "TECHNIQUE", word, GroundTechniquesText(), mesh.technique));
        }
    }
    if (seek("MATERIAL")) read("MATERIAL", mesh.materialId, kMaterialIds, kDefaultGroundMaterial);
    if (seek("TEXTURE")) read("TEXTURE", mesh.textureId, kTextureIds, kDefaultGroundTexture);
    if (seek("ELASTIC")) read("ELASTIC", ground.elasticity, kElasticities, kDefaultGroundElasticity);
    if (seek("STATIC_FRIC")) read("STATIC_FRIC", ground.staticFriction, kFrictions, kDefaultGroundFriction);
    if (seek("DYNAMIC_FRIC")) read("DYNAMIC_FRIC", ground.dynamicFriction, kFrictions, kDefaultGroundFriction);
    // The grid keys are checked against the mesh when it is built.
    if (seek("ROWS")) read("ROWS", ground.ROWS, kAnyConfigNumber<int>, 0);
    if (seek("COLUMNS")) read("COLUMNS", ground.COLUMNS, kAnyConfigNumber<int>, 0);
    if (seek("DIFF")) read("DIFF", ground.DIFF, kAnyConfigNumber<float>, 0.0f);
    if (missing != nullptr) {
        REPORT_ERROR(std::string("Heightmap file ") + path + " has no readable value for " + missing);
        return false;
    }
    return true;
}

bool Terrain::Load(const std::string& meshFile)
{
    // Paths are plain ASCII here; each byte widens to one character.
    std::wstring wide;
    for (const char c : meshFile) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    LPD3DXBUFFER adjacency = nullptr;
    LPD3DXBUFFER materials = nullptr;
    ID3DXMesh* loaded = nullptr;
    const HRESULT hr =
        D3DXLoadMeshFromXW(wide.c_str(), D3DXMESH_MANAGED, device, &adjacency, &materials, nullptr, nullptr, &loaded);
    bool built = false;
    if (FAILED(hr) || loaded == nullptr) {
        REPORT_ERROR(kMeshLoadFailed + meshFile);
    } else {
        built = BuildBuffers(loaded);
        if (!built) {
            REPORT_ERROR("The terrain in " + meshFile + " was not used; the ground stays as it was");
        }
    }
    if (loaded != nullptr) loaded->Release();
    if (adjacency != nullptr) adjacency->Release();
    if (materials != nullptr) materials->Release();
    return built;
}

bool Terrain::BuildBuffers(ID3DXMesh* source)
{
    if (source == nullptr) {
        REPORT_ERROR("heightmap mesh is missing");
        return false;
    }
    const DWORD stride = source->GetNumBytesPerVertex();
    const DWORD vertexCount = source->GetNumVertices();
    const DWORD faceCount = source->GetNumFaces();
    if (stride < sizeof(TerrainSourceVertex) || (source->GetOptions() & D3DXMESH_32BIT) != 0) {
        REPORT_ERROR("heightmap mesh needs position, normal and texture coordinates with 16-bit indices");
        return false;
    }
    if (vertexCount > static_cast<DWORD>(Heightmap::kMaxVertices) ||
        faceCount > static_cast<DWORD>(Heightmap::kMaxVertices) * 4u) {
        std::ostringstream message;
        message << "heightmap mesh has " << vertexCount << " vertices and " << faceCount << " faces; at most "
                << Heightmap::kMaxVertices << " vertices fit 16-bit indices";
        REPORT_ERROR(message.str());
        return false;
    }
    void* vertexData = nullptr;
    void* indexData = nullptr;
    if (FAILED(source->LockVertexBuffer(0, &vertexData)) || vertexData == nullptr) {
        REPORT_ERROR("could not read the heightmap mesh's vertices");
        return false;
    }
    if (FAILED(source->LockIndexBuffer(0, &indexData)) || indexData == nullptr) {
        source->UnlockVertexBuffer();
        REPORT_ERROR("could not read the heightmap mesh's indices");
        return false;
    }
    std::vector<TerrainSourceVertex> vertices(vertexCount);
    for (DWORD v = 0; v < vertexCount; ++v) {
        std::memcpy(&vertices[v], static_cast<const unsigned char*>(vertexData) + static_cast<size_t>(v) * stride,
                    sizeof(TerrainSourceVertex));
    }
    const bool built = BuildFromArrays(vertices.data(), static_cast<int>(vertexCount),
                                       static_cast<const uint16_t*>(indexData), static_cast<int>(faceCount * 3));
    source->UnlockIndexBuffer();
    source->UnlockVertexBuffer();
    return built;
}

bool Terrain::BuildFromArrays(const TerrainSourceVertex* vertices, int vertexCount, const uint16_t* indices,
                              int indexCount)
{
    if (!ground.BuildFromArrays(vertices, vertexCount, indices, indexCount)) {
        return false;
    }
    mesh.Build(vertices, vertexCount, indices, indexCount, device);
    return true;
}
