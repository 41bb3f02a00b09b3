#pragma once
// A small variant value with the kinds the file list sorts by, and CompareVariants.

#include <cstdint>
#include <string>

namespace pictavo {

enum class VariantKind {
    Empty,
    Null,
    SmallInt, // 16-bit signed
    Integer,  // 32-bit signed
    ShortInt, // 8-bit signed
    Byte,
    Word,
    LongWord,
    Int64,
    Single,
    Double,
    Currency,
    Date,
    Boolean,
    String,
};

class Variant {
public:
    Variant() = default;
    static Variant Null();
    static Variant FromInteger(VariantKind kind, int64_t value);
    static Variant FromFloat(VariantKind kind, double value);
    static Variant FromBoolean(bool value);
    static Variant FromString(std::string value);

    Variant(int32_t value) : kind_(VariantKind::Integer), integer_(value) {}
    Variant(int64_t value) : kind_(VariantKind::Int64), integer_(value) {}
    Variant(double value) : kind_(VariantKind::Double), float_(value) {}
    Variant(const char* value) : kind_(VariantKind::String), text_(value) {}
    Variant(std::string value) : kind_(VariantKind::String), text_(std::move(value)) {}

    VariantKind Kind() const { return kind_; }
    bool IsIntegerKind() const;
    bool IsFloatKind() const;

    // Conversions; raise EVariantError when the value has no such form.
    int64_t AsInt64() const;
    double AsDouble() const;
    std::string AsString() const;

private:
    VariantKind kind_ = VariantKind::Empty;
    int64_t integer_ = 0;
    double float_ = 0;
    std::string text_;
};

// -1, 0 or 1. The kind of A decides: integers compare as 64-bit integers, floating
// kinds (single, double, currency, date) as doubles, anything else as text in the
// user's locale. B is converted to A's kind.
int CompareVariants(const Variant& A, const Variant& B);

} // namespace pictavo
