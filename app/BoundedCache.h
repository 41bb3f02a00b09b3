// A cache of values that each cost some bytes, kept within a fixed budget: adding past
// the budget drops the values used longest ago. Not thread-safe: one owner.
#pragma once

#include <cstddef>
#include <list>
#include <unordered_map>
#include <utility>

namespace pictavo {

template <class Key, class Value, class Hash = std::hash<Key>> class TBoundedCache {
public:
    explicit TBoundedCache(size_t budget) : FBudget(budget) {}

    size_t Budget() const { return FBudget; }
    size_t Cost() const { return FCost; }
    size_t Count() const { return FIndex.size(); }

    // True when the key is held; the order of use does not change.
    bool Contains(const Key& key) const { return FIndex.count(key) != 0; }

    // The value, now the most recently used; null when absent.
    const Value* Find(const Key& key) {
        const auto found = FIndex.find(key);
        if (found == FIndex.end())
            return nullptr;
        FOrder.splice(FOrder.begin(), FOrder, found->second);
        return &found->second->Held;
    }

    // Adds or replaces the value; a value costing more than the whole budget is not kept.
    void Insert(const Key& key, Value value, size_t cost) {
        Remove(key);
        if (cost > FBudget)
            return;
        FOrder.push_front({key, std::move(value), cost});
        FIndex.emplace(key, FOrder.begin());
        FCost += cost;
        while (FCost > FBudget)
            Remove(FOrder.back().Id);
    }

    void Remove(const Key& key) {
        const auto found = FIndex.find(key);
        if (found == FIndex.end())
            return;
        FCost -= found->second->Cost;
        FOrder.erase(found->second);
        FIndex.erase(found);
    }

    void Clear() {
        FOrder.clear();
        FIndex.clear();
        FCost = 0;
    }

private:
    struct Entry {
        Key Id;
        Value Held;
        size_t Cost;
    };
    size_t FBudget;
    size_t FCost = 0;
    std::list<Entry> FOrder; // most recently used first
    std::unordered_map<Key, typename std::list<Entry>::iterator, Hash> FIndex;
};

} // namespace pictavo
