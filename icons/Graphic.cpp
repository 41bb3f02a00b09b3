#include "icons/Graphic.h"

#include "util/AtomicFile.h"
#include "util/Exceptions.h"

namespace pictavo {

void TGraphic::Assign(const TGraphic* source) {
    throw EConvertError(
        Format("Cannot assign a %s to a %s", source ? source->ClassName() : "nil", ClassName()));
}

void TGraphic::Changed() {
    // A copy, so that an observer may remove itself.
    const auto observers = observers_;
    for (const auto& [id, observer] : observers)
        observer(*this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    FileStream stream(fileName, FileMode::OpenRead);
    LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    // Through a temporary file: a failed save leaves no broken picture behind.
    WriteFileAtomically(fileName, [this](Stream& stream) { SaveToStream(&stream); });
}

int TGraphic::AddChangeObserver(ChangeObserver observer) {
    const int id = nextObserverId_++;
    observers_[id] = std::move(observer);
    return id;
}

void TGraphic::RemoveChangeObserver(int id) {
    observers_.erase(id);
}

} // namespace pictavo
