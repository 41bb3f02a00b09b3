#pragma once
// Paths and bytes of the PE fixtures (tests/fixtures/pe, made by its build.sh).

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

} // namespace pictavo::test
