#include "EventRecorder.h"

#include <array>

#include "MidiTypeLib.h"

namespace sonara::wintest {
namespace {

struct EventShape {
  const char* name;
  std::vector<VARTYPE> types;
};

// The events of __clsMidi by DISPID 1 to 13.
const std::array<EventShape, 13>& Shapes() {
  static const std::array<EventShape, 13> shapes{{
      {"NotesPlaying", {VT_I2, VT_I2, VT_BSTR, VT_I2, VT_BSTR, VT_BOOL}},
      {"MidiLevel", {VT_I2, VT_I2}},
      {"TextKar", {VT_BSTR, VT_I2, VT_BSTR, VT_BSTR}},
      {"Progress", {VT_I4, VT_BSTR}},
      {"MidiInfo", {VT_BSTR, VT_BSTR}},
      {"Status", {VT_I2, VT_BSTR}},
      {"VolumeChange", {VT_I2, VT_I2}},
      {"MasterVolumeChange", {VT_I2}},
      {"BalanceChange", {VT_I2, VT_I2}},
      {"InstrumentChange", {VT_I2, VT_I2, VT_BSTR}},
      {"ChannelMuteChange", {VT_I2, VT_BOOL}},
      {"TransposeChange", {VT_I2}},
      {"VelocityChange", {VT_I2}},
  }};
  return shapes;
}

std::string Format(const VARIANT& v) {
  switch (V_VT(&v)) {
    case VT_BSTR: return "\"" + Utf8(V_BSTR(&v)) + "\"";
    case VT_I2: return std::to_string(V_I2(&v));
    case VT_I4: return std::to_string(V_I4(&v));
    case VT_BOOL: return std::to_string(V_BOOL(&v));
    default: return "?";
  }
}

}  // namespace

EventRecorder::EventRecorder() : DispatchObject(DIID___clsMidi) {}

STDMETHODIMP EventRecorder::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  if (id < 1 || id > 13 || params == nullptr) {
    lines.push_back("unknown event " + std::to_string(id));
    return DISP_E_MEMBERNOTFOUND;
  }
  const EventShape& shape = Shapes()[static_cast<size_t>(id - 1)];
  std::string line = std::string(shape.name) + "(";
  bool typesRight = params->cArgs == shape.types.size() && params->cNamedArgs == 0;
  for (UINT i = 0; i < params->cArgs; ++i) {
    const VARIANT& v = params->rgvarg[params->cArgs - 1 - i];  // arguments come last first
    if (i < shape.types.size() && V_VT(&v) != shape.types[i]) typesRight = false;
    line += (i ? ", " : "") + Format(v);
  }
  line += ")";
  if (!typesRight) wrongTypes.push_back(line);
  lines.push_back(std::move(line));
  return S_OK;
}

std::vector<std::string> EventRecorder::Named(const std::string& name) const {
  std::vector<std::string> out;
  for (const auto& line : lines) {
    if (line.compare(0, name.size() + 1, name + "(") == 0) out.push_back(line);
  }
  return out;
}

}  // namespace sonara::wintest
