#include "search/AttributesCriteria.h"

namespace pictavo {

namespace {
uint32_t BitOf(int index) {
    return (index >= 1 && index <= 32) ? 1u << (index - 1) : 0;
}
} // namespace

TFileAttributeStatus TAttributesCriteria::Status(int index) const {
    const uint32_t bit = BitOf(index);
    if (set_ & bit)
        return fsSet;
    if (unset_ & bit)
        return fsUnset;
    if (anySet_ & bit)
        return fsAnySet;
    if (anyUnset_ & bit)
        return fsAnyUnset;
    return fsIgnore;
}

void TAttributesCriteria::SetStatus(int index, TFileAttributeStatus status) {
    const uint32_t bit = BitOf(index);
    set_ &= ~bit;
    unset_ &= ~bit;
    anySet_ &= ~bit;
    anyUnset_ &= ~bit;
    switch (status) {
    case fsSet:
        set_ |= bit;
        break;
    case fsUnset:
        unset_ |= bit;
        break;
    case fsAnySet:
        anySet_ |= bit;
        break;
    case fsAnyUnset:
        anyUnset_ |= bit;
        break;
    case fsIgnore:
        break;
    }
}

bool TAttributesCriteria::Matches(uint32_t attributes) const {
    return (attributes & set_) == set_ && (attributes & unset_) == 0 &&
           (anySet_ == 0 || (attributes & anySet_) != 0) &&
           (anyUnset_ == 0 || (~attributes & anyUnset_) != 0);
}

void TAttributesCriteria::Assign(const TCustomCriteria& source) {
    const auto* other = dynamic_cast<const TAttributesCriteria*>(&source);
    if (other == nullptr)
        return TCustomCriteria::Assign(source);
    set_ = other->set_;
    unset_ = other->unset_;
    anySet_ = other->anySet_;
    anyUnset_ = other->anyUnset_;
}

void TAttributesCriteria::Clear() {
    set_ = unset_ = anySet_ = anyUnset_ = 0;
}

} // namespace pictavo
