// The type library of the component: the members of _clsMidi in interface
// order with their DISPIDs, and the events of __clsMidi.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "typelib/Variant.h"

namespace sonara::typelib {

inline constexpr std::string_view kLibraryName = "Sonara";
inline constexpr std::string_view kProgId = "Sonara.clsMidi";
inline constexpr std::string_view kClassName = "clsMidi";
inline constexpr std::string_view kInterfaceName = "_clsMidi";
inline constexpr std::string_view kEventInterfaceName = "__clsMidi";

enum class MemberKind { Method, PropertyGet, PropertyPut };

struct ParamInfo {
  std::string_view name;  // empty for the value of a property put
  VarType type;
  bool byRef = false;
};

struct MemberInfo {
  std::string_view name;
  int32_t dispid;
  MemberKind kind;
  std::array<ParamInfo, 2> params;
  int paramCount;
  VarType value;  // Empty: no value
};

struct EventInfo {
  std::string_view name;
  int32_t dispid;
  std::array<ParamInfo, 6> params;
  int paramCount;
};

// The 37 members in interface order (entry i is vtable slot i + 1 after IDispatch).
std::span<const MemberInfo> Members();
// The 13 events, DISPIDs 1 to 13.
std::span<const EventInfo> Events();

// Case-insensitive name lookup, as automation clients do it.
std::optional<int32_t> DispIdOfName(std::string_view name);
// The member with this DISPID and kind, or nullptr.
const MemberInfo* FindMember(int32_t dispid, MemberKind kind);

}  // namespace sonara::typelib
