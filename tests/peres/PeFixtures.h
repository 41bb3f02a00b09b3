#pragma once
// Paths and bytes of the PE fixtures (tests/fixtures/pe, made by its build.sh), and
// finding a resource of a module by type and name.

#include "peres/ResourceModule.h"
#include "util/Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo::test {

inline std::string PeFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/pe/" + name;
}

inline std::vector<uint8_t> PeFixtureBytes(const std::string& name) {
    return ReadFileBytes(PeFixture(name));
}

// The first resource of the module with exactly this type and name, or null.
inline TResourceDetails* Find(const TResourceModule& module, const std::string& type,
                              const std::string& name) {
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == type && module.Item(i)->Name() == name)
            return module.Item(i);
    return nullptr;
}

} // namespace pictavo::test
