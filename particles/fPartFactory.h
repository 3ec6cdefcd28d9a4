// The particle factory: every particle type read from the definition files,
// the behaviour functions by name, and the building of a particle from its
// type name. One instance, created and deleted by the start-up; it must
// outlive every particle, whose colour keys and technique names point into
// its definitions.
#pragma once

#include <map>
#include <set>
#include <string>

#include "core/Vector3.h"
#include "particles/ParticleDefs.h"

namespace tinyxml2 {
class XMLElement;
class XMLNode;
} // namespace tinyxml2

class fParticle;

class fPartFactory
{
public:
    fPartFactory() = default;
    ~fPartFactory() = default;
    fPartFactory(const fPartFactory&) = delete;
    fPartFactory& operator=(const fPartFactory&) = delete;

    // Enters the behaviour functions under their names. Runs before
    // LoadDefinitions, which resolves behaviour names as it reads.
    void RegisterBehaviours();
    // Reads every "*.xml" of the particle folder, in the order the folder
    // listing gives. True when the listing ended normally.
    bool LoadDefinitions();
    // The same over another folder (a path ending in a separator).
    bool LoadDefinitionsFrom(const std::string& folder);

    // One child node of a file's root: a "system" element defines a type and
    // replaces any earlier type of that name; other nodes are ignored.
    void ParseSystem(const tinyxml2::XMLNode* node);

    // A particle of the named type at the position, or null for a type that
    // was never defined: reported the first time a name is asked for, since
    // emitters and the lava ask again every burst. The caller owns the particle.
    fParticle* CreateSystem(const std::string& name, const Vector3* position, const float* scale,
                            const Vector3* velocity);

    // The definition of a type, or null.
    const ParticleSystemDef* FindDefinition(const std::string& name) const;
    // The registered behaviour of a name, or null.
    BehaviourFn FindBehaviour(const std::string& name) const;
    size_t GetDefinitionCount() const { return definitions.size(); }
    const std::map<std::string, ParticleSystemDef>& GetDefinitions() const { return definitions; }

private:
    enum FileResult { kFileRead, kFileSkipped, kFileWithoutRoot };

    FileResult LoadFile(const std::string& path);
    // Each reads its part of one "system" element; name is the type's, for reports.
    void ReadAppearance(const tinyxml2::XMLElement* system, const std::string& name, ParticleSystemDef& def);
    void ReadColours(const tinyxml2::XMLElement* appearance, const std::string& name, ParticleSystemDef& def);
    void ReadEmissions(const tinyxml2::XMLElement* system, const std::string& name, ParticleSystemDef& def);
    void ReadStatus(const tinyxml2::XMLElement* system, ParticleSystemDef& def);
    void ReadBehaviours(const tinyxml2::XMLElement* system, const std::string& name, ParticleSystemDef& def);

    std::map<std::string, ParticleSystemDef> definitions;
    std::map<std::string, BehaviourFn> behaviours;
    std::set<std::string> reportedUnknown; // type names asked for and reported
};

extern fPartFactory* gPartFactory;
