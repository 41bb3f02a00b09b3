#pragma once
// The icons of a file as the file list counts them and as the commands that take an
// icon from a file load it: the icon groups of a module, else the file itself as one
// ICO/CUR icon.

#include <memory>
#include <string>

namespace pictavo {

class TMultiIcon;
class TModuleIcons;

// The icon groups of a module, else 1 for a file that holds an ICO/CUR stream with at
// least one image, else 0. Decodes no pixels (IconStreamHasImages). Never raises: a
// file that is neither counts 0.
int IconCountOfFile(const std::string& fileName);

// Icon `iconIndex` of the module, or, when the module cannot give it, the whole file
// as an icon file. When that fails too, the error propagates: the module's for a module
// with icon groups, else the icon file's.
void LoadFileIcon(TMultiIcon& icon, const std::string& fileName, int iconIndex);

// LoadFileIcon for many icons: the module last asked for stays open, so that taking
// every icon of a file, one after the other, is one pass over it.
class TFileIconLoader {
public:
    TFileIconLoader();
    ~TFileIconLoader();
    TFileIconLoader(const TFileIconLoader&) = delete;
    TFileIconLoader& operator=(const TFileIconLoader&) = delete;

    void Load(TMultiIcon& icon, const std::string& fileName, int iconIndex);

private:
    std::string FFileName;
    std::unique_ptr<TModuleIcons> FModule;
};

} // namespace pictavo
