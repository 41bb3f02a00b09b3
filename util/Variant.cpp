#include "util/Variant.h"

#include "platform/Locale.h"
#include "util/Exceptions.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pictavo {

namespace {

const char* KindName(VariantKind kind) {
    switch (kind) {
    case VariantKind::Empty:
        return "Empty";
    case VariantKind::Null:
        return "Null";
    case VariantKind::SmallInt:
        return "SmallInt";
    case VariantKind::Integer:
        return "Integer";
    case VariantKind::ShortInt:
        return "ShortInt";
    case VariantKind::Byte:
        return "Byte";
    case VariantKind::Word:
        return "Word";
    case VariantKind::LongWord:
        return "LongWord";
    case VariantKind::Int64:
        return "Int64";
    case VariantKind::Single:
        return "Single";
    case VariantKind::Double:
        return "Double";
    case VariantKind::Currency:
        return "Currency";
    case VariantKind::Date:
        return "Date";
    case VariantKind::Boolean:
        return "Boolean";
    case VariantKind::String:
        return "String";
    }
    return "Unknown";
}

[[noreturn]] void ConversionError(VariantKind from, VariantKind to) {
    throw EVariantError(Format("Could not convert variant of type (%s) into type (%s)",
                               KindName(from), KindName(to)));
}

std::string FloatText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

} // namespace

Variant Variant::Null() {
    Variant v;
    v.kind_ = VariantKind::Null;
    return v;
}

Variant Variant::FromInteger(VariantKind kind, int64_t value) {
    Variant v;
    v.kind_ = kind;
    v.integer_ = value;
    return v;
}

Variant Variant::FromFloat(VariantKind kind, double value) {
    Variant v;
    v.kind_ = kind;
    v.float_ = value;
    return v;
}

Variant Variant::FromBoolean(bool value) {
    Variant v;
    v.kind_ = VariantKind::Boolean;
    v.integer_ = value ? 1 : 0;
    return v;
}

Variant Variant::FromString(std::string value) {
    return Variant(std::move(value));
}

bool Variant::IsIntegerKind() const {
    switch (kind_) {
    case VariantKind::SmallInt:
    case VariantKind::Integer:
    case VariantKind::ShortInt:
    case VariantKind::Byte:
    case VariantKind::Word:
    case VariantKind::LongWord:
    case VariantKind::Int64:
        return true;
    default:
        return false;
    }
}

bool Variant::IsFloatKind() const {
    return kind_ == VariantKind::Single || kind_ == VariantKind::Double ||
           kind_ == VariantKind::Currency || kind_ == VariantKind::Date;
}

int64_t Variant::AsInt64() const {
    if (IsIntegerKind() || kind_ == VariantKind::Boolean)
        return kind_ == VariantKind::Boolean ? -integer_ : integer_;
    if (kind_ == VariantKind::Empty)
        return 0;
    if (IsFloatKind()) {
        if (!std::isfinite(float_) || std::fabs(float_) > 9.2e18)
            ConversionError(kind_, VariantKind::Int64);
        return std::llround(float_);
    }
    if (kind_ == VariantKind::String) {
        errno = 0;
        char* end = nullptr;
        const long long value = std::strtoll(text_.c_str(), &end, 10);
        if (!text_.empty() && errno == 0 && *end == '\0')
            return value;
    }
    ConversionError(kind_, VariantKind::Int64);
}

double Variant::AsDouble() const {
    if (IsFloatKind())
        return float_;
    if (IsIntegerKind() || kind_ == VariantKind::Boolean || kind_ == VariantKind::Empty)
        return static_cast<double>(AsInt64());
    if (kind_ == VariantKind::String) {
        char* end = nullptr;
        const double value = std::strtod(text_.c_str(), &end);
        if (!text_.empty() && *end == '\0')
            return value;
    }
    ConversionError(kind_, VariantKind::Double);
}

std::string Variant::AsString() const {
    switch (kind_) {
    case VariantKind::Empty:
    case VariantKind::Null:
        return "";
    case VariantKind::Boolean:
        return integer_ != 0 ? "True" : "False";
    case VariantKind::String:
        return text_;
    default:
        return IsIntegerKind() ? std::to_string(integer_) : FloatText(float_);
    }
}

int CompareVariants(const Variant& A, const Variant& B) {
    if (A.IsIntegerKind()) {
        const int64_t a = A.AsInt64();
        const int64_t b = B.AsInt64();
        return (a > b) - (a < b);
    }
    if (A.IsFloatKind()) {
        const double a = A.AsDouble();
        const double b = B.AsDouble();
        return (a > b) - (a < b);
    }
    return platform::CompareTextLocale(A.AsString(), B.AsString());
}

} // namespace pictavo
