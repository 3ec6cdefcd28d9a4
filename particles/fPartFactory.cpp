#include "particles/fPartFactory.h"

#include <cstring>
#include <new>

#include <tinyxml2.h>
#include <windows.h>

#include "core/DebugPrint.h"
#include "core/ErrorReport.h"
#include "core/GameFiles.h"
#include "core/Resources.h"
#include "core/XmlHelpers.h"
#include "particles/ParticleAttributes.h"
#include "particles/ParticleBehaviours.h"
#include "particles/fParticle.h"

fPartFactory* gPartFactory = nullptr;

namespace {

// Reports name this class as their source with fixed line numbers, so an
// entry in the error log reads the same however this file's code moves.
const char* const kSource = "fPartFactory";
const int kLineNoFiles = 65;
const int kLineNoRoot = 88;
const int kLineFindNext = 104;
const int kLineTextureRange = 162;
const int kLineUnknownType = 263;

const char* const kParticleFolder = "..\\Particles\\";
const char* const kDefinitionPattern = "*.xml";

// A burst above this is a typing error, and would stall the frame it fires in.
const unsigned int kMaxEmittedPerBurst = 1000;
// Emitters, colour keys and behaviours per type; real types use a handful.
const int kMaxIndexedElements = 256;
// The last texture id of the table; one past it means "no texture".
const unsigned int kLastTextureId = kTextureFileCount - 1;

// Calls read(element) for prefix0, prefix1, ... up to the first missing index.
template <typename ReadFn>
void ForEachIndexed(const tinyxml2::XMLElement* parent, const char* prefix, const std::string& systemName, ReadFn read)
{
    for (int n = 0;; ++n) {
        const std::string elementName = prefix + std::to_string(n);
        const tinyxml2::XMLElement* element = XmlFindChildElement(parent, elementName.c_str());
        if (!element) {
            return;
        }
        if (n == kMaxIndexedElements) {
            ReportError(std::string("Too many ") + prefix + " elements in particle system\n" + systemName, kSource,
                        __LINE__);
            return;
        }
        read(element);
    }
}

void ClampTextureId(unsigned int& id, const std::string& systemName)
{
    if (id > kLastTextureId) {
        ReportError("Particle texture id out of range\n" + systemName, kSource, __LINE__);
        id = kLastTextureId;
    }
}

// Found names are at most MAX_PATH characters; each may take four bytes.
std::string NarrowFileName(const WCHAR* wide)
{
    char narrow[4 * MAX_PATH];
    if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr) <= 0) {
        return std::string();
    }
    return narrow;
}

std::wstring WidenPath(const std::string& narrow)
{
    const int chars = MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), -1, nullptr, 0);
    if (chars <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), -1, &wide[0], chars);
    wide.resize(static_cast<size_t>(chars - 1));
    return wide;
}

} // namespace

void fPartFactory::RegisterBehaviours()
{
    behaviours["GroundCollision"] = GroundCollision;
    behaviours["UpdateOnPlayerMove"] = UpdateOnPlayerMove;
    behaviours["OrbitParent"] = OrbitParent;
    behaviours["SpoutOppositeDirParent"] = SpoutOppositeDirParent;
    behaviours["SpoutDirParent"] = SpoutDirParent;
}

bool fPartFactory::LoadDefinitions()
{
    return LoadDefinitionsFrom(kParticleFolder);
}

bool fPartFactory::LoadDefinitionsFrom(const std::string& folder)
{
    const std::wstring widePattern = WidenPath(folder + kDefinitionPattern);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        ReportError("No particle systems files located", kSource, kLineNoFiles);
        return false;
    }
    do {
        const std::string name = NarrowFileName(found.cFileName);
        if (!name.empty() && LoadFile(folder + name) == kFileWithoutRoot) {
            // One file without a root ends the whole load; what was read stays.
            ReportError("DEFINITIONS symbol not found in particle file", kSource, kLineNoRoot);
            FindClose(search);
            return false;
        }
    } while (FindNextFileW(search, &found));
    const DWORD lastError = GetLastError();
    FindClose(search);
    if (lastError != ERROR_NO_MORE_FILES) {
        ReportError("FindNextFile error.", kSource, kLineFindNext);
        return false;
    }
    return true;
}

// A file that cannot be opened or parsed is skipped without a word.
fPartFactory::FileResult fPartFactory::LoadFile(const std::string& path)
{
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (document.LoadFile(ResolveGamePath(path).c_str()) != tinyxml2::XML_SUCCESS) {
        return kFileSkipped;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement("DEFINITIONS");
    if (!root) {
        return kFileWithoutRoot;
    }
    for (const tinyxml2::XMLNode* node = root->FirstChild(); node; node = node->NextSibling()) {
        ParseSystem(node);
    }
    return kFileRead;
}

void fPartFactory::ParseSystem(const tinyxml2::XMLNode* node)
{
    if (!node || std::strcmp(node->Value(), "system") != 0) {
        return;
    }
    // A comment or text reading "system" is not a definition.
    const tinyxml2::XMLElement* system = node->ToElement();
    const std::string name = XmlElementText(XmlFindChildElement(system, "name"));
    if (name.empty()) {
        ReportError("Particle system without a name skipped", kSource, __LINE__);
        return;
    }

    ParticleSystemDef def;
    ReadAppearance(system, name, def);
    ReadEmissions(system, name, def);
    if (const tinyxml2::XMLElement* physics = XmlFindChildElement(system, "PHYSICS")) {
        ReadFloatAttribute(physics, "mass", def.mass);
        ReadIntAttribute(physics, "gravity", def.gravity);
    }
    ReadStatus(system, def);
    ReadBehaviours(system, name, def);
    definitions[name] = def;
}

void fPartFactory::ReadAppearance(const tinyxml2::XMLElement* system, const std::string& name, ParticleSystemDef& def)
{
    const tinyxml2::XMLElement* element = XmlFindChildElement(system, "APPEARANCE");
    if (!element) {
        return;
    }
    AppearanceDef& appearance = def.appearance;
    appearance.present = 1;
    ReadIntAttribute(element, "blendmode", appearance.blendmode);
    ReadStringAttribute(element, "technique", appearance.technique);
    ReadUnsignedAttribute(element, "start_tex", appearance.start_tex);
    ReadUnsignedAttribute(element, "end_tex", appearance.end_tex);
    ClampTextureId(appearance.start_tex, name);
    ClampTextureId(appearance.end_tex, name);
    ReadIntAttribute(element, "random_start_tex", appearance.random_start_tex);
    ReadIntAttribute(element, "cycle_tex", appearance.cycle_tex);
    if (appearance.start_tex > appearance.end_tex) {
        // Reported and kept: the random picks and cycling cope with it.
        ReportError("Invalid range of textures specified for particle system\n"
                    "Textures must be specified in a sequential range.",
                    kSource, kLineTextureRange);
    }
    ReadIntAttribute(element, "random_cycle", appearance.random_cycle);
    ReadFloatAttribute(element, "tex_interval", appearance.tex_interval);
    ReadIntAttribute(element, "scale_in", appearance.scale_in);
    ReadFloatAttribute(element, "scale_in_life", appearance.scale_in_life);
    ReadColours(element, name, def);
}

void fPartFactory::ReadColours(const tinyxml2::XMLElement* appearance, const std::string& name, ParticleSystemDef& def)
{
    ForEachIndexed(appearance, "COLOUR", name, [&def](const tinyxml2::XMLElement* element) {
        ColourKey key;
        ReadFloatAttribute(element, "life", key.life);
        ReadFloatAttribute(element, "r", key.r);
        ReadFloatAttribute(element, "g", key.g);
        ReadFloatAttribute(element, "b", key.b);
        ReadFloatAttribute(element, "a", key.a);
        def.appearance.colours.push_back(key);
    });
}

void fPartFactory::ReadEmissions(const tinyxml2::XMLElement* system, const std::string& name, ParticleSystemDef& def)
{
    ForEachIndexed(system, "EMISSION", name, [&def, &name](const tinyxml2::XMLElement* element) {
        EmissionDef emission;
        ReadUnsignedAttribute(element, "numemitted", emission.numemitted);
        if (emission.numemitted > kMaxEmittedPerBurst) {
            ReportError("Particle burst too large, limited to " + std::to_string(kMaxEmittedPerBurst) + "\n" + name,
                        kSource, __LINE__);
            emission.numemitted = kMaxEmittedPerBurst;
        }
        ReadFloatAttribute(element, "delay", emission.delay);
        ReadStringAttribute(element, "type", emission.type);
        ReadIntAttribute(element, "align_to_motion", emission.align_to_motion);
        ReadIntAttribute(element, "emit_once", emission.emit_once);
        ReadFloatAttribute(element, "minscale", emission.minscale);
        ReadFloatAttribute(element, "maxscale", emission.maxscale);
        emission.minvel = ReadVectorElement(element, "minvel");
        emission.maxvel = ReadVectorElement(element, "maxvel");
        def.emissions.push_back(emission);
    });
}

void fPartFactory::ReadStatus(const tinyxml2::XMLElement* system, ParticleSystemDef& def)
{
    const tinyxml2::XMLElement* status = XmlFindChildElement(system, "STATUS");
    if (!status) {
        return;
    }
    ReadIntAttribute(status, "resting", def.resting);
    ReadIntAttribute(status, "aging", def.aging);
    ReadFloatAttribute(status, "lifetime", def.lifetime);
    ReadIntAttribute(status, "rotating", def.rotating);
    ReadFloatAttribute(status, "angles_per_sec", def.angles_per_sec);
}

void fPartFactory::ReadBehaviours(const tinyxml2::XMLElement* system, const std::string& name, ParticleSystemDef& def)
{
    ForEachIndexed(system, "BEHAVIOUR", name, [this, &def](const tinyxml2::XMLElement* element) {
        std::string func;
        ReadStringAttribute(element, "func", func);
        // An unknown name is left out rather than kept as an entry nobody may call.
        if (BehaviourFn behaviour = FindBehaviour(func)) {
            def.behaviours.push_back(behaviour);
        } else {
            ReportError("Unknown particle behaviour\n" + func, kSource, __LINE__);
        }
    });
}

fParticle* fPartFactory::CreateSystem(const std::string& name, const Vector3* position, const float* scale,
                                      const Vector3* velocity)
{
    const ParticleSystemDef* def = FindDefinition(name);
    if (!def) {
        if (reportedUnknown.insert(name).second)
            ReportError("Attempted to create unknown particle system type\n" + name, kSource, kLineUnknownType);
        return nullptr;
    }
    if (fParticle::GetLiveCount() >= kMaxLiveParticles) {
        DebugPrint("Particle limit of %d reached; no %s made\n", kMaxLiveParticles, name.c_str());
        return nullptr;
    }
    fParticle* particle = new (std::nothrow) fParticle();
    if (!particle) {
        return nullptr;
    }
    if (position) {
        particle->SetPosition(*position);
    }
    if (velocity) {
        particle->linearVelocity = *velocity;
    }
    particle->InitFromDef(*def, scale);
    return particle;
}

const ParticleSystemDef* fPartFactory::FindDefinition(const std::string& name) const
{
    auto found = definitions.find(name);
    return found == definitions.end() ? nullptr : &found->second;
}

BehaviourFn fPartFactory::FindBehaviour(const std::string& name) const
{
    auto found = behaviours.find(name);
    return found == behaviours.end() ? nullptr : found->second;
}
