#include "EventSinks.h"

#include <algorithm>

#include "Teardown.h"
#include "Text.h"

namespace sonara::com {

// An event's arguments as a dispatch call takes them: in reverse order.
class EventSinks::Arguments {
 public:
  Arguments() = default;
  ~Arguments() {
    for (auto& v : values_) ::VariantClear(&v);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  Arguments& I2(int16_t value) {
    V_VT(&Push()) = VT_I2;
    V_I2(&values_.back()) = value;
    return *this;
  }
  Arguments& I4(int32_t value) {
    V_VT(&Push()) = VT_I4;
    V_I4(&values_.back()) = value;
    return *this;
  }
  Arguments& Bool(int16_t value) {
    V_VT(&Push()) = VT_BOOL;
    V_BOOL(&values_.back()) = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return *this;
  }
  Arguments& Text(const std::string& value) {
    Bstr text(value);
    VARIANT& v = Push();
    // Out of memory: the sink gets an empty text rather than no event.
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text.Detach();
    return *this;
  }

  // Once, when all arguments are in.
  DISPPARAMS Params() {
    std::reverse(values_.begin(), values_.end());
    return DISPPARAMS{values_.data(), nullptr, static_cast<UINT>(values_.size()), 0};
  }

 private:
  VARIANT& Push() {
    values_.emplace_back();
    ::VariantInit(&values_.back());
    return values_.back();
  }
  std::vector<VARIANT> values_;
};

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

void EventSinks::Fire(DISPID id, Arguments& args) {
  if (sinks_.empty() || ModuleIsGoingAway()) return;
  DISPPARAMS params = args.Params();
  // The sinks connected when the event began; a handler may change the list.
  const auto sinks = sinks_;
  for (const auto& [cookie, sink] : sinks) {
    // A sink's failure is its own: the others still hear the event.
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
}

void EventSinks::NotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                              const std::string& DrumsText, int16_t NoteOn) {
  Arguments a;
  a.I2(Channel).I2(NoteValue).Text(NoteText).I2(DrumsValue).Text(DrumsText).Bool(NoteOn);
  Fire(1, a);
}
void EventSinks::MidiLevel(int16_t Channel, int16_t Level) {
  Arguments a;
  a.I2(Channel).I2(Level);
  Fire(2, a);
}
void EventSinks::TextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
                         const std::string& NextPhrase) {
  Arguments a;
  a.Text(TxtString).I2(TextStart).Text(AtualPhrase).Text(NextPhrase);
  Fire(3, a);
}
void EventSinks::Progress(int32_t midiTicks, const std::string& midiTime) {
  Arguments a;
  a.I4(midiTicks).Text(midiTime);
  Fire(4, a);
}
void EventSinks::MidiInfo(const std::string& TimeLength, const std::string& TimeSignature) {
  Arguments a;
  a.Text(TimeLength).Text(TimeSignature);
  Fire(5, a);
}
void EventSinks::Status(int16_t Status, const std::string& StatusText) {
  Arguments a;
  a.I2(Status).Text(StatusText);
  Fire(6, a);
}
void EventSinks::VolumeChange(int16_t Channel, int16_t Value) {
  Arguments a;
  a.I2(Channel).I2(Value);
  Fire(7, a);
}
void EventSinks::MasterVolumeChange(int16_t Value) {
  Arguments a;
  a.I2(Value);
  Fire(8, a);
}
void EventSinks::BalanceChange(int16_t Channel, int16_t Value) {
  Arguments a;
  a.I2(Channel).I2(Value);
  Fire(9, a);
}
void EventSinks::InstrumentChange(int16_t Channel, int16_t InstrumentValue, const std::string& InstrumentText) {
  Arguments a;
  a.I2(Channel).I2(InstrumentValue).Text(InstrumentText);
  Fire(10, a);
}
void EventSinks::ChannelMuteChange(int16_t Channel, int16_t bMute) {
  Arguments a;
  a.I2(Channel).Bool(bMute);
  Fire(11, a);
}
void EventSinks::TransposeChange(int16_t Value) {
  Arguments a;
  a.I2(Value);
  Fire(12, a);
}
void EventSinks::VelocityChange(int16_t Value) {
  Arguments a;
  a.I2(Value);
  Fire(13, a);
}

}  // namespace sonara::com
