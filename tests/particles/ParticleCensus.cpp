#include "tests/particles/ParticleCensus.h"

#include <vector>

#include "particles/ParticleEmitter.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"

std::string KindOf(const fParticle* root)
{
    std::vector<std::string> making;
    for (const ParticleEmitter* emitter : root->GetEmitters()) making.push_back(emitter->type);
    std::string kinds;
    for (const auto& [name, def] : gPartFactory->GetDefinitions()) {
        if (def.aging != root->aging || def.lifetime != root->lifetime ||
            def.appearance.present != root->has_appearance)
            continue;
        // Before its first bursts a root has every emitter; after them, the
        // ones that fire again.
        std::vector<std::string> all, lasting;
        for (const EmissionDef& emission : def.emissions) {
            all.push_back(emission.type);
            if (emission.emit_once != 1) lasting.push_back(emission.type);
        }
        if (making == all || making == lasting) kinds += (kinds.empty() ? "" : "|") + name;
    }
    return kinds.empty() ? "?" : kinds;
}

std::map<std::string, int> TakeCensus()
{
    std::map<std::string, int> census;
    for (const fParticle* root : gPartManager->GetSystems()) ++census[KindOf(root)];
    return census;
}
