#include "peres/ResourceIndex.h"

#include "peres/ResourceModule.h"

#include <algorithm>

namespace pictavo {

namespace {

bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

void EraseOne(std::vector<TResourceDetails*>& list, const TResourceDetails* item) {
    const auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end())
        list.erase(found);
}

std::vector<TResourceDetails*> ResourcesOfType(const TResourceModule& module,
                                               const std::string& type) {
    std::vector<TResourceDetails*> resources;
    for (int i = 0; i < module.Count(); ++i)
        if (module.Item(i)->Type() == type)
            resources.push_back(module.Item(i));
    return resources;
}

bool Excepted(const std::vector<const TResourceDetails*>& except, const TResourceDetails* resource) {
    return std::find(except.begin(), except.end(), resource) != except.end();
}

} // namespace

// ---- numeric names ----

void TResourceIndex::AddName(NamesOfType& names, TResourceDetails& resource) {
    if (!IsDigits(resource.Name()))
        return;
    try {
        names.ByNumber[NumericName(resource.Name())].push_back(&resource);
    } catch (const EConvertError&) {
        names.Overlong.push_back(&resource);
    }
}

TResourceIndex::NamesOfType& TResourceIndex::NamesOf(const TResourceModule& module,
                                                     const std::string& type) {
    auto known = FNames.find(type);
    if (known != FNames.end())
        return known->second;
    NamesOfType names;
    for (TResourceDetails* resource : ResourcesOfType(module, type))
        AddName(names, *resource);
    return FNames.emplace(type, std::move(names)).first->second;
}

std::vector<TResourceDetails*> TResourceIndex::Named(const TResourceModule& module,
                                                     const std::string& type, int32_t number) {
    const NamesOfType& names = NamesOf(module, type);
    const auto found = names.ByNumber.find(number);
    return found == names.ByNumber.end() ? std::vector<TResourceDetails*>{} : found->second;
}

int64_t TResourceIndex::HighestName(const TResourceModule& module, const std::string& type,
                                    const std::vector<const TResourceDetails*>& except) {
    const NamesOfType& names = NamesOf(module, type);
    if (!names.Overlong.empty())
        NumericName(names.Overlong.front()->Name()); // raises with the name in the message
    for (auto it = names.ByNumber.rbegin(); it != names.ByNumber.rend(); ++it)
        for (const TResourceDetails* resource : it->second)
            if (!Excepted(except, resource))
                return it->first;
    return 0;
}

// ---- named numbers ----

void TResourceIndex::AddNaming(NamingOfType& naming, TResourceDetails& resource) {
    std::vector<uint16_t> numbers = resource.NamedNumbers();
    for (uint16_t number : numbers)
        ++naming.ByNumber[number][&resource];
    naming.NumbersOf[&resource] = std::move(numbers);
}

void TResourceIndex::RemoveNaming(NamingOfType& naming, const TResourceDetails& resource) {
    const auto indexed = naming.NumbersOf.find(&resource);
    if (indexed == naming.NumbersOf.end())
        return;
    for (uint16_t number : indexed->second) {
        const auto namers = naming.ByNumber.find(number);
        if (namers == naming.ByNumber.end())
            continue;
        const auto namer = namers->second.find(const_cast<TResourceDetails*>(&resource));
        if (namer != namers->second.end() && --namer->second == 0)
            namers->second.erase(namer);
        if (namers->second.empty())
            naming.ByNumber.erase(namers);
    }
    naming.NumbersOf.erase(indexed);
}

TResourceIndex::NamingOfType& TResourceIndex::NamingOf(const TResourceModule& module,
                                                       const std::string& type) {
    auto known = FNaming.find(type);
    if (known != FNaming.end())
        return known->second;
    NamingOfType naming;
    for (TResourceDetails* resource : ResourcesOfType(module, type))
        AddNaming(naming, *resource);
    return FNaming.emplace(type, std::move(naming)).first->second;
}

std::vector<TResourceDetails*> TResourceIndex::Naming(const TResourceModule& module,
                                                      const std::string& type, uint16_t number) {
    const NamingOfType& naming = NamingOf(module, type);
    const auto found = naming.ByNumber.find(number);
    if (found == naming.ByNumber.end())
        return {};
    std::vector<TResourceDetails*> namers;
    for (const auto& namer : found->second)
        namers.push_back(namer.first);
    return namers;
}

int64_t TResourceIndex::HighestNamed(const TResourceModule& module, const std::string& type,
                                     const TResourceDetails* except) {
    const NamingOfType& naming = NamingOf(module, type);
    for (auto it = naming.ByNumber.rbegin(); it != naming.ByNumber.rend(); ++it)
        if (it->second.size() > 1 || it->second.begin()->first != except)
            return it->first;
    return 0;
}

// ---- keeping in step ----

void TResourceIndex::Added(TResourceDetails& resource) {
    const auto names = FNames.find(resource.Type());
    if (names != FNames.end())
        AddName(names->second, resource);
    const auto naming = FNaming.find(resource.Type());
    if (naming != FNaming.end())
        AddNaming(naming->second, resource);
}

void TResourceIndex::Removed(const TResourceDetails& resource) {
    const auto names = FNames.find(resource.Type());
    if (names != FNames.end() && IsDigits(resource.Name())) {
        try {
            const auto number = names->second.ByNumber.find(NumericName(resource.Name()));
            if (number != names->second.ByNumber.end()) {
                EraseOne(number->second, &resource);
                if (number->second.empty())
                    names->second.ByNumber.erase(number);
            }
        } catch (const EConvertError&) {
            EraseOne(names->second.Overlong, &resource);
        }
    }
    const auto naming = FNaming.find(resource.Type());
    if (naming != FNaming.end())
        RemoveNaming(naming->second, resource);
}

void TResourceIndex::NamedNumbersChanged(TResourceDetails& resource) {
    const auto naming = FNaming.find(resource.Type());
    // Only a resource the index holds: one with this owner but not in it is no concern.
    if (naming == FNaming.end() || naming->second.NumbersOf.count(&resource) == 0)
        return;
    RemoveNaming(naming->second, resource);
    AddNaming(naming->second, resource);
}

void TResourceIndex::Forget() {
    FNames.clear();
    FNaming.clear();
}

} // namespace pictavo
