// The values a late-bound call passes and returns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "Collection.h"

namespace sonara {

// An automation Boolean (-1 True, 0 False), kept apart from 16-bit numbers.
struct BoolValue {
  int16_t value = 0;
  bool operator==(const BoolValue&) const = default;
};

// The kinds of value, in the order of Variant's alternatives.
enum class VarType { Empty, I2, I4, UI1, R8, BSTR, BOOL, Object };

using Variant =
    std::variant<std::monostate, int16_t, int32_t, uint8_t, double, std::string, BoolValue, std::shared_ptr<Collection>>;

inline VarType TypeOf(const Variant& v) { return static_cast<VarType>(v.index()); }

// Coercions as automation performs them on arguments: error 13 for a value of
// another kind that cannot be read as the target, error 6 outside its range.
int16_t VariantToInt16(const Variant& v);
int32_t VariantToInt32(const Variant& v);
uint8_t VariantToByte(const Variant& v);
int16_t VariantToBool(const Variant& v);
std::string VariantToText(const Variant& v);
Variant ConvertVariant(const Variant& v, VarType to);

}  // namespace sonara
