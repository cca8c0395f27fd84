#include "typelib/Variant.h"

#include <algorithm>
#include <cctype>

#include "AutomationConvert.h"
#include "AutomationError.h"

namespace sonara {
namespace {


// Any numeric or Boolean value as a double; texts are parsed; objects are a mismatch.
double VariantToDouble(const Variant& v) {
  struct Visitor {
    double operator()(std::monostate) const { return 0; }
    double operator()(int16_t x) const { return x; }
    double operator()(int32_t x) const { return x; }
    double operator()(uint8_t x) const { return x; }
    double operator()(double x) const { return x; }
    double operator()(const std::string& s) const {
      if (EqualsNoCase(s, "True")) return -1;
      if (EqualsNoCase(s, "False")) return 0;
      return TextToDouble(s);
    }
    double operator()(BoolValue b) const { return b.value ? -1 : 0; }
    double operator()(const std::shared_ptr<Collection>&) const { throw AutomationError(kTypeMismatch); }
  };
  return std::visit(Visitor{}, v);
}

}  // namespace

int16_t VariantToInt16(const Variant& v) {
  if (auto s = std::get_if<std::string>(&v)) return TextToInt16(*s);
  return DoubleToInt16(VariantToDouble(v));
}

int32_t VariantToInt32(const Variant& v) {
  if (auto s = std::get_if<std::string>(&v)) return TextToInt32(*s);
  return DoubleToInt32(VariantToDouble(v));
}

uint8_t VariantToByte(const Variant& v) {
  if (auto s = std::get_if<std::string>(&v)) return TextToByte(*s);
  return DoubleToByte(VariantToDouble(v));
}

int16_t VariantToBool(const Variant& v) { return VariantToDouble(v) != 0 ? -1 : 0; }

std::string VariantToText(const Variant& v) {
  struct Visitor {
    std::string operator()(std::monostate) const { return ""; }
    std::string operator()(int16_t x) const { return std::to_string(x); }
    std::string operator()(int32_t x) const { return std::to_string(x); }
    std::string operator()(uint8_t x) const { return std::to_string(x); }
    std::string operator()(double x) const { return NumberToText(x); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(BoolValue b) const { return b.value ? "True" : "False"; }
    std::string operator()(const std::shared_ptr<Collection>&) const { throw AutomationError(kTypeMismatch); }
  };
  return std::visit(Visitor{}, v);
}

Variant ConvertVariant(const Variant& v, VarType to) {
  switch (to) {
    case VarType::Empty: return v;
    case VarType::I2: return VariantToInt16(v);
    case VarType::I4: return VariantToInt32(v);
    case VarType::UI1: return VariantToByte(v);
    case VarType::R8: return VariantToDouble(v);
    case VarType::BSTR: return VariantToText(v);
    case VarType::BOOL: return BoolValue{VariantToBool(v)};
    case VarType::Object:
      if (TypeOf(v) != VarType::Object) throw AutomationError(kTypeMismatch);
      return v;
  }
  throw AutomationError(kTypeMismatch);
}

}  // namespace sonara
