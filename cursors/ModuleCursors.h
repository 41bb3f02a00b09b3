#pragma once
// The cursors inside a module (games keep theirs in the executable): the cursor groups
// (RT_GROUP_CURSOR with their RT_CURSOR images, hotspots included) and the animated
// cursors and icons (RT_ANICURSOR, RT_ANIICON: each a whole .ani file). They are numbered
// in that order: the groups, then the animated cursors, then the animated icons, each in
// the module's directory order.

#include "cursors/AnimatedCursor.h"
#include "icons/DecodeBudget.h"
#include "peres/ModuleReader.h"

#include <memory>
#include <string>
#include <vector>

namespace pictavo {

enum class TModuleCursorKind { Cursor, AnimatedCursor, AnimatedIcon };

class TModuleCursors {
public:
    // A file that is no module has no cursors.
    explicit TModuleCursors(const std::string& fileName);

    bool IsModule() const { return FModule != nullptr; }
    int Count() const { return static_cast<int>(FEntries.size()); }
    TModuleCursorKind Kind(int n) const { return Entry(n).Kind; }
    // "#<id>" or the text name.
    const std::string& Name(int n) const { return Entry(n).Name; }

    // Cursor n as an animation: a cursor group as one frame shown in one step. Raises
    // Exception when it cannot be read; all loads of the module share one decode budget.
    TAnimatedCursor Load(int n);
    // The bytes of cursor n as a file: a .cur file of a group, the .ani file of an
    // animated one, as FileExtension names it.
    std::vector<uint8_t> FileBytes(int n);
    const char* FileExtension(int n) const;

private:
    struct TEntry {
        TModuleCursorKind Kind;
        std::string Name;
    };
    const TEntry& Entry(int n) const;
    std::shared_ptr<TMultiIcon> LoadGroup(int n);
    ResourceBytes AnimatedBytes(int n) const;

    std::unique_ptr<ModuleReader> FModule;
    std::vector<TEntry> FEntries;
    TDecodeBudget FBudget;
};

} // namespace pictavo
