#pragma once
// What a resource module keeps so that finding resources by number does not walk every
// resource (a library build adds thousands of groups and images, and each one asks):
//  - per type, the resources under each numeric name;
//  - per type of resource that names others by number (icon and cursor groups name
//    their images), the resources that name each number.
// A type's part is built from the module the first time it is asked for and is then kept
// in step by the module as resources come, go, or change the numbers they name.

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace pictavo {

class TResourceDetails;
class TResourceModule;

class TResourceIndex {
public:
    // The resources of the type whose name is the number (leading zeros allowed), in
    // the order they joined the module.
    std::vector<TResourceDetails*> Named(const TResourceModule& module, const std::string& type,
                                         int32_t number);
    // The highest numeric name of the type borne by a resource not in `except`; 0 when
    // there is none. Raises EConvertError, as NumericName does, when a name of the type
    // is a digit text too long for a number.
    int64_t HighestName(const TResourceModule& module, const std::string& type,
                        const std::vector<const TResourceDetails*>& except);
    // The resources of the type that name the number, each once, in no fixed order.
    std::vector<TResourceDetails*> Naming(const TResourceModule& module, const std::string& type,
                                          uint16_t number);
    // The highest number a resource of the type other than `except` names; 0 when none.
    int64_t HighestNamed(const TResourceModule& module, const std::string& type,
                         const TResourceDetails* except);

    // The module tells of every resource it takes in or lets go, and of a resource in it
    // whose named numbers changed.
    void Added(TResourceDetails& resource);
    void Removed(const TResourceDetails& resource);
    void NamedNumbersChanged(TResourceDetails& resource);
    // Everything is built again when next asked for (a renamed resource, a new list).
    void Forget();

private:
    struct NamesOfType {
        std::map<int32_t, std::vector<TResourceDetails*>> ByNumber;
        std::vector<TResourceDetails*> Overlong; // digit names too long for a number
    };
    struct NamingOfType {
        // For each number, the resources naming it with how many times each does (a
        // crafted group may name one image in all its 65535 entries).
        std::map<uint16_t, std::map<TResourceDetails*, int>> ByNumber;
        // The numbers each resource of the type was indexed with, so that it can be
        // taken out again after its data changed.
        std::unordered_map<const TResourceDetails*, std::vector<uint16_t>> NumbersOf;
    };

    NamesOfType& NamesOf(const TResourceModule& module, const std::string& type);
    NamingOfType& NamingOf(const TResourceModule& module, const std::string& type);
    static void AddName(NamesOfType& names, TResourceDetails& resource);
    static void AddNaming(NamingOfType& naming, TResourceDetails& resource);
    static void RemoveNaming(NamingOfType& naming, const TResourceDetails& resource);

    std::map<std::string, NamesOfType> FNames;
    std::map<std::string, NamingOfType> FNaming;
};

} // namespace pictavo
