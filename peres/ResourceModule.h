#pragma once
// The format-independent resource model: an abstract container of resources
// (TResourceModule), the resource itself (TResourceDetails), the registry of
// specialised resource classes with the factory that picks one for raw data, and the
// helpers for unique names, sort order and safe saving.
//
// Types and names are UTF-8 text. A numeric identifier is its decimal text ("14");
// only a non-empty text of the digits 0-9 is numeric ("#12" is a name).

#include "peres/ResourceIndex.h"
#include "util/Exceptions.h"
#include "util/Stream.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

class TResourceModule;

class TResourceDetails {
public:
    // The constructor half of CreateWithData: stores owner, language, name and type and
    // sets CodePage from the language. C++ cannot dispatch FillDefault from a
    // constructor, so use the CreateWithData / CreateEmpty functions below, which
    // fill the data (or call FillDefault) after construction.
    TResourceDetails(TResourceModule* owner, int32_t language, const std::string& name,
                     const std::string& type);
    virtual ~TResourceDetails() = default;
    TResourceDetails(const TResourceDetails&) = delete;
    TResourceDetails& operator=(const TResourceDetails&) = delete;

    // Class-level operations; a derived class hides them with its own static ones.
    static bool AcceptsRawData(const std::string& name, size_t size, const uint8_t* data);
    static bool RecognisesData(size_t size, const uint8_t* data);
    static std::string TypeOfClass() { return "0"; }

    // The default content of a new resource of the class; empty in the base.
    virtual void FillDefault() {}
    // Called by the owner just before the resource is taken out of it.
    virtual void PrepareForRemoval() {}
    // Stores the name and sets Modified when it really changes (exact comparison).
    void Rename(const std::string& name);
    // Replaces Data with the whole of the stream, from its start.
    void ReplaceData(Stream& source);
    // The numbers of the other resources this one names (an icon group's images); none
    // in the base. A resource that changes them in its data tells its owner
    // (NoteNamedNumbersChanged); ReplaceData does so itself.
    virtual std::vector<uint16_t> NamedNumbers() const { return {}; }

    TResourceModule* Owner() const { return FOwner; }
    MemoryStream& Data() { return FData; }
    const MemoryStream& Data() const { return FData; }
    const std::string& Name() const { return FName; }
    const std::string& Type() const { return FType; }
    int32_t Language() const { return FLanguage; }
    void SetLanguage(int32_t language) { FLanguage = language; }
    uint32_t CodePage() const { return FCodePage; }
    void SetCodePage(uint32_t codePage) { FCodePage = codePage; }
    uint32_t Version() const { return FVersion; }
    void SetVersion(uint32_t version) { FVersion = version; }
    uint32_t Characteristics() const { return FCharacteristics; }
    void SetCharacteristics(uint32_t value) { FCharacteristics = value; }
    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

private:
    TResourceModule* FOwner;
    MemoryStream FData;
    uint32_t FCodePage = 0;
    int32_t FLanguage = 0;
    std::string FName;
    std::string FType;
    uint32_t FVersion = 0;
    uint32_t FCharacteristics = 0;
    bool FModified = false;
};

// A resource whose bytes look like 8-bit text.
class TAnsiResourceDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;
    static bool RecognisesData(size_t size, const uint8_t* data);
    void FillDefault() override { Data().Clear(); }
};

// A resource whose bytes look like UTF-16 text.
class TUnicodeResourceDetails : public TResourceDetails {
public:
    using TResourceDetails::TResourceDetails;
    static bool RecognisesData(size_t size, const uint8_t* data);
    void FillDefault() override { Data().Clear(); }
};

// A free-standing resource of class T with the given bytes, or with FillDefault's
// content when data is null. Not added to the owner.
template <class T>
std::unique_ptr<T> CreateWithData(TResourceModule* owner, int32_t language, const std::string& name,
                                  const std::string& type, size_t size, const uint8_t* data) {
    auto resource = std::make_unique<T>(owner, language, name, type);
    if (data != nullptr)
        resource->Data().WriteBuffer(data, size);
    else
        resource->FillDefault();
    resource->Data().SetPosition(0);
    return resource;
}

// A brand-new resource of class T with the type TypeOfClass. It is appended to the
// owner (which owns it) before FillDefault runs, so FillDefault may add further
// resources to the owner (icon groups add their first image). Raises when the owner
// cannot hold resources.
template <class T>
T* CreateEmpty(TResourceModule& owner, int32_t language, const std::string& name);

// A free-standing brand-new resource of class T (no owner).
template <class T> std::unique_ptr<T> CreateEmpty(int32_t language, const std::string& name) {
    auto resource = std::make_unique<T>(nullptr, language, name, T::TypeOfClass());
    resource->FillDefault();
    return resource;
}

// One entry of the details-class registry: the class-level operations of a class and
// its CreateWithData.
//
// Registering (for the icon, cursor and bitmap resource classes): in ONE .cpp file
// that the program always links (the one with the icon-group class, which the icon
// library builder uses), define one static object whose constructor calls
// AddDetailsClass(DetailsClassOf<T>()) for the six classes in this order: bitmap "2",
// DIB "DIB", icon group "14", cursor group "12", icon "3", cursor "1". A registrar in a
// file that nothing else references is dropped by the static linker. The registry
// itself is constructed on first use, so registering from static initialisers is safe.
struct TResourceDetailsClass {
    const char* ClassName = "";
    std::string (*TypeOfClass)() = nullptr;
    bool (*AcceptsRawData)(const std::string& name, size_t size, const uint8_t* data) = nullptr;
    bool (*RecognisesData)(size_t size, const uint8_t* data) = nullptr;
    std::unique_ptr<TResourceDetails> (*CreateWithData)(TResourceModule* owner, int32_t language,
                                                        const std::string& name,
                                                        const std::string& type, size_t size,
                                                        const uint8_t* data) = nullptr;

    bool operator==(const TResourceDetailsClass& other) const {
        return CreateWithData == other.CreateWithData;
    }
};

template <class T>
std::unique_ptr<TResourceDetails>
CreateDetailsWithData(TResourceModule* owner, int32_t language, const std::string& name,
                      const std::string& type, size_t size, const uint8_t* data) {
    return CreateWithData<T>(owner, language, name, type, size, data);
}

template <class T> TResourceDetailsClass DetailsClassOf(const char* className) {
    return TResourceDetailsClass{className, &T::TypeOfClass, &T::AcceptsRawData, &T::RecognisesData,
                                 &CreateDetailsWithData<T>};
}

// Registry maintenance: AddDetailsClass appends; RemoveDetailsClass removes every
// occurrence.
void AddDetailsClass(const TResourceDetailsClass& detailsClass);
void RemoveDetailsClass(const TResourceDetailsClass& detailsClass);
// The registered classes in registration order.
std::vector<TResourceDetailsClass> RegisteredDetailsClasses();

// The factory used when resources are read from a file: the first registered class
// serving the type (for RCDATA "10" only one that accepts the raw data), else the
// first that recognises the data, else text or generic resources. Exceptions of a
// specialised class are swallowed and a more generic class is used.
std::unique_ptr<TResourceDetails> MakeResourceDetails(TResourceModule* owner, int32_t language,
                                                      const std::string& name,
                                                      const std::string& type, size_t size,
                                                      const uint8_t* data);

// The value of a non-empty all-digit text, else -1; raises EConvertError when the
// digits do not fit a 32-bit integer.
int32_t NumericName(const std::string& text);

// Sort order: numeric types by number, named types first (by case-insensitive text),
// then the names the same way. The language is not compared.
int CompareResources(const TResourceDetails& a, const TResourceDetails& b);

// The default ANSI code page of a language, else the process's code page.
uint32_t AnsiCodePageOfLanguage(int32_t language);

// The backup name of a file, from its file-name part: lib.icl -> lib.~icl; a name
// without a dot gets ".~" (my.libs/iconlib -> my.libs/iconlib.~).
std::string BackupFileName(const std::string& fileName);

class TResourceModule {
public:
    TResourceModule() = default;
    virtual ~TResourceModule() = default;
    TResourceModule(const TResourceModule&) = delete;
    TResourceModule& operator=(const TResourceModule&) = delete;

    virtual int Count() const = 0;
    virtual TResourceDetails* Item(int index) const = 0;
    // Sets Modified and calls PrepareForRemoval; list containers also take the
    // resource out and destroy it.
    virtual void RemoveAt(int index);
    // The base stores nothing (the resource is destroyed).
    virtual void InsertAt(int index, std::unique_ptr<TResourceDetails> resource);
    // Takes the resource over and returns its index; the base stores nothing and
    // returns -1 (the resource is destroyed).
    virtual int Append(std::unique_ptr<TResourceDetails> resource);
    virtual int IndexOf(const TResourceDetails* resource) const = 0;
    // Raise "Module doesn't support streaming" in the base.
    virtual void WriteToStream(Stream& stream);
    virtual void ReadFromStream(Stream& stream);
    // Saves with a backup of the previous file (BackupFileName), through a temporary
    // file: the name holds the previous or the complete new module, never a part, and
    // the previous content is always under the file name or the backup name. When the
    // previous file cannot be kept as the backup the save is refused and it stays as it
    // was. A symbolic link at the name is replaced, not followed.
    virtual void WriteToFile(const std::string& fileName);
    virtual void ReadFromFile(const std::string& fileName);
    virtual void Sort() {}

    // Clears Modified of the module and of every resource.
    void ResetModified();
    // One more than the largest numeric name of the type ("1" when there is none).
    std::string NextFreeName(const std::string& type) const;

    // Questions by number, answered from an index kept in step with every resource that
    // comes or goes, so that a library build, which asks for every icon it adds, does
    // not walk the whole module each time.
    // The resources of the type whose name is the number (leading zeros allowed).
    std::vector<TResourceDetails*> ResourcesNamed(const std::string& type, int32_t number) const;
    // The highest numeric name of the type borne by a resource not in `except`; 0 when
    // none. Raises EConvertError for a digit name too long for a number.
    int64_t HighestNumericName(const std::string& type,
                               const std::vector<const TResourceDetails*>& except = {}) const;
    // The resources of the type that name the number (NamedNumbers), each once.
    std::vector<TResourceDetails*> ResourcesNaming(const std::string& type, uint16_t number) const;
    // The highest number named by a resource of the type other than `except`; 0 when none.
    int64_t HighestNamedNumber(const std::string& type, const TResourceDetails* except) const;
    // A resource of the module changed the numbers it names.
    void NoteNamedNumbersChanged(TResourceDetails& resource) { FIndex.NamedNumbersChanged(resource); }
    // The index is built again when next asked for: for a renamed resource or a list
    // replaced as a whole.
    void ForgetIndex() { FIndex.Forget(); }

    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

protected:
    // Raises when the module cannot be written as it stands; WriteToFile calls it
    // before it touches any file. Nothing to check in the base.
    virtual void CheckWritable() {}
    // Containers call these for every resource they take in or let go.
    void NoteNewResource(TResourceDetails& resource) { FIndex.Added(resource); }
    void NoteRemovedResource(const TResourceDetails& resource) { FIndex.Removed(resource); }

private:
    bool FModified = false;
    mutable TResourceIndex FIndex;
};

template <class T>
T* CreateEmpty(TResourceModule& owner, int32_t language, const std::string& name) {
    auto resource = std::make_unique<T>(&owner, language, name, T::TypeOfClass());
    T* created = resource.get();
    if (owner.Append(std::move(resource)) < 0)
        throw Exception("Module cannot hold resources");
    try {
        created->FillDefault();
    } catch (...) {
        // No half-made resource stays behind in the module.
        owner.RemoveAt(owner.IndexOf(created));
        throw;
    }
    return created;
}

} // namespace pictavo
