#pragma once

namespace pictavo {

// Base of the criteria objects: copied with Assign from an object of the same class,
// reset with Clear.
class TCustomCriteria {
public:
    TCustomCriteria() = default;
    virtual ~TCustomCriteria() = default;
    TCustomCriteria(const TCustomCriteria&) = delete;
    TCustomCriteria& operator=(const TCustomCriteria&) = delete;

    // Raises EConvertError ("Cannot assign a X to a Y") when source is of another class;
    // this object then keeps its values.
    virtual void Assign(const TCustomCriteria& source);
    virtual void Clear() = 0;
    virtual const char* ClassName() const = 0;
};

} // namespace pictavo
