#pragma once
// TGraphic: the small abstract picture the icon classes implement. Pictures draw
// themselves into a rectangle of a canvas, load and save themselves through streams,
// copy other pictures with Assign, and tell observers when they change.

#include "platform/Raster.h"
#include "util/Stream.h"

#include <functional>
#include <map>
#include <string>

namespace pictavo {

class TGraphic {
public:
    using ChangeObserver = std::function<void(TGraphic& sender)>;

    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual const char* ClassName() const = 0;

    // Copies another picture. The base refuses with EConvertError
    // "Cannot assign a <source class> to a <this class>".
    virtual void Assign(const TGraphic* source);
    // Notifies the observers.
    virtual void Changed();

    virtual void Draw(platform::Surface& canvas, const platform::Rect& rect) = 0;
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    virtual bool GetTransparent() const { return transparent_; }
    virtual void SetTransparent(bool value) { transparent_ = value; }

    virtual void LoadFromStream(Stream* stream) = 0;
    virtual void SaveToStream(Stream* stream) = 0;
    // Opens the file for reading (others may read), then LoadFromStream.
    void LoadFromFile(const std::string& fileName);
    // Creates or truncates the file, then SaveToStream.
    void SaveToFile(const std::string& fileName);

    // Observers are called after every Changed; the id removes one again.
    int AddChangeObserver(ChangeObserver observer);
    void RemoveChangeObserver(int id);

protected:
    TGraphic() = default;

private:
    bool transparent_ = false;
    int nextObserverId_ = 1;
    std::map<int, ChangeObserver> observers_;
};

} // namespace pictavo
