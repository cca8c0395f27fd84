// Late-bound access to clsMidi: calls by DISPID or by name with Variant
// arguments, events delivered by DISPID, and creation by ProgID. A
// late-bound call runs the same member as the direct call, errors included.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "clsMidi.h"
#include "typelib/TypeInfo.h"
#include "typelib/Variant.h"

namespace sonara::typelib {

enum InvokeFlags : uint16_t {
  DISPATCH_METHOD = 1,
  DISPATCH_PROPERTYGET = 2,
  DISPATCH_PROPERTYPUT = 4,
};

// Automation errors of the late-bound surface itself.
constexpr int32_t kMemberNotFound = 438;    // "Object doesn't support this property or method"
constexpr int32_t kWrongArgCount = 450;     // "Wrong number of arguments or invalid property assignment"
constexpr int32_t kCannotCreateObject = 429;

class Dispatch {
 public:
  explicit Dispatch(std::shared_ptr<clsMidi> object);

  // Arguments in declaration order; for a property put the value comes last.
  // A by-reference argument (ListDevices' nDevs) receives its new value in
  // place. Returns the member's value, or Empty.
  Variant Invoke(int32_t dispid, uint16_t flags, std::vector<Variant>& args);
  Variant Invoke(std::string_view name, uint16_t flags, std::vector<Variant>& args);

  // Error 438 for a name the interface does not have.
  static int32_t GetIDOfName(std::string_view name);

  const std::shared_ptr<clsMidi>& Object() const noexcept { return object_; }

 private:
  std::shared_ptr<clsMidi> object_;
};

// Creates a new object by its ProgID ("Sonara.clsMidi", case-insensitive).
std::shared_ptr<clsMidi> CreateObject(std::string_view progId);

// A sink that hands every event to a function as its DISPID and arguments,
// for clients that bind to events late.
class DispatchEventSink : public clsMidiEvents {
 public:
  using Handler = std::function<void(int32_t dispid, const std::vector<Variant>& args)>;
  explicit DispatchEventSink(Handler handler) : handler_(std::move(handler)) {}

  void NotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                    const std::string& DrumsText, int16_t NoteOn) override;
  void MidiLevel(int16_t Channel, int16_t Level) override;
  void TextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
               const std::string& NextPhrase) override;
  void Progress(int32_t midiTicks, const std::string& midiTime) override;
  void MidiInfo(const std::string& TimeLength, const std::string& TimeSignature) override;
  void Status(int16_t Status, const std::string& StatusText) override;
  void VolumeChange(int16_t Channel, int16_t Value) override;
  void MasterVolumeChange(int16_t Value) override;
  void BalanceChange(int16_t Channel, int16_t Value) override;
  void InstrumentChange(int16_t Channel, int16_t InstrumentValue, const std::string& InstrumentText) override;
  void ChannelMuteChange(int16_t Channel, int16_t bMute) override;
  void TransposeChange(int16_t Value) override;
  void VelocityChange(int16_t Value) override;

 private:
  void Fire(int32_t dispid, std::vector<Variant> args) { handler_(dispid, args); }
  Handler handler_;
};

}  // namespace sonara::typelib
