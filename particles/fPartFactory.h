// Builds particles by type name from the definitions. Placeholder until the
// particle systems are written.
#pragma once

class fPartFactory {
public:
    // Registers the behaviour functions by name.
    void RegisterBehaviours();
    // Reads every particle-definition file.
    void LoadDefinitions();
};

extern fPartFactory* gPartFactory;
