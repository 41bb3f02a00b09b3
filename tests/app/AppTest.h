// The window's tests are Qt Test classes collected into one program: each test file
// registers its class with PICTAVO_APP_TEST(Class), and the program's main runs them all.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace apptest {

using Factory = std::function<std::unique_ptr<QObject>()>;

// The registered test classes, in registration order.
std::vector<Factory>& registeredTests();

struct Registrar {
    explicit Registrar(Factory factory) { registeredTests().push_back(std::move(factory)); }
};

} // namespace apptest

#define PICTAVO_APP_TEST(Class)                                                                    \
    static apptest::Registrar registrar_##Class([] { return std::make_unique<Class>(); });
