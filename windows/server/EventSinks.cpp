#include "EventSinks.h"

#include <algorithm>
#include <type_traits>
#include <variant>

#include "Teardown.h"
#include "Text.h"

namespace sonara::com {
namespace {

// One argument of an event as a dispatch call takes it. Events carry 16- and
// 32-bit numbers, texts and Booleans; an object never travels with one.
void Store(const Variant& value, VARIANT& out) {
  std::visit(
      [&out](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, int16_t>) {
          V_VT(&out) = VT_I2;
          V_I2(&out) = v;
        } else if constexpr (std::is_same_v<T, int32_t>) {
          V_VT(&out) = VT_I4;
          V_I4(&out) = v;
        } else if constexpr (std::is_same_v<T, uint8_t>) {
          V_VT(&out) = VT_UI1;
          V_UI1(&out) = v;
        } else if constexpr (std::is_same_v<T, double>) {
          V_VT(&out) = VT_R8;
          V_R8(&out) = v;
        } else if constexpr (std::is_same_v<T, std::string>) {
          // Out of memory: the sink gets an empty text rather than no event.
          V_VT(&out) = VT_BSTR;
          V_BSTR(&out) = Bstr(v).Detach();
        } else if constexpr (std::is_same_v<T, BoolValue>) {
          V_VT(&out) = VT_BOOL;
          V_BOOL(&out) = v.value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        }
      },
      value);
}

// An event's arguments as a dispatch call takes them: in reverse order.
class Arguments {
 public:
  explicit Arguments(const std::vector<Variant>& args) : values_(args.size()) {
    for (size_t i = 0; i < args.size(); ++i) {
      VARIANT& v = values_[args.size() - 1 - i];
      ::VariantInit(&v);
      Store(args[i], v);
    }
  }
  ~Arguments() {
    for (auto& v : values_) ::VariantClear(&v);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  DISPPARAMS Params() { return DISPPARAMS{values_.data(), nullptr, static_cast<UINT>(values_.size()), 0}; }

 private:
  std::vector<VARIANT> values_;
};

}  // namespace

EventSinks::EventSinks()
    : DispatchEventSink([this](int32_t dispid, const std::vector<Variant>& args) { Deliver(dispid, args); }) {}

DWORD EventSinks::Connect(Microsoft::WRL::ComPtr<IDispatch> sink) {
  const DWORD cookie = nextCookie_++;
  if (nextCookie_ == 0) nextCookie_ = 1;
  sinks_.emplace_back(cookie, std::move(sink));
  return cookie;
}

bool EventSinks::Disconnect(DWORD cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(), [cookie](const auto& s) { return s.first == cookie; });
  if (it == sinks_.end()) return false;
  sinks_.erase(it);
  return true;
}

EventSinks::~EventSinks() {
  if (!ModuleIsGoingAway()) return;
  // Whatever the sinks' code was, it may be unloaded already: let them go
  // without calling them.
  for (auto& entry : sinks_) static_cast<void>(entry.second.Detach());
}

void EventSinks::Deliver(DISPID id, const std::vector<Variant>& args) {
  if (sinks_.empty() || ModuleIsGoingAway()) return;
  Arguments arguments(args);
  DISPPARAMS params = arguments.Params();
  // The sinks connected when the event began; a handler may change the list.
  const auto sinks = sinks_;
  for (const auto& [cookie, sink] : sinks) {
    // A sink's failure is its own: the others still hear the event.
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
}

}  // namespace sonara::com
