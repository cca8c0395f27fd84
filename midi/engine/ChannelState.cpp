#include "engine/ChannelState.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "modMidi.h"

namespace sonara {

namespace {

// Controllers with a meaning of their own in the replay.
constexpr int kBankSelect = 0;
constexpr int kBankSelectLsb = 32;
constexpr int kDataEntry = 6;
constexpr int kDataEntryLsb = 38;
constexpr int kDataIncrement = 96;
constexpr int kDataDecrement = 97;
constexpr int kNrpnLsb = 98;
constexpr int kNrpnMsb = 99;
constexpr int kRpnLsb = 100;
constexpr int kRpnMsb = 101;
constexpr int kLastPlainController = 119;  // 120 and above are channel mode messages

constexpr bool IsParameterController(int c) {
  return c == kDataEntry || c == kDataEntryLsb || c == kDataIncrement || c == kDataDecrement ||
         (c >= kNrpnLsb && c <= kRpnMsb);
}

// One registered or non-registered parameter with the data last written to it.
struct Parameter {
  bool registered;
  int msb;
  int lsb;
  std::optional<int> dataMsb;
  std::optional<int> dataLsb;
  int64_t lastWrite;  // record index of its last data entry, for the replay order
};

class ChannelState {
 public:
  void Take(int32_t message, int64_t order) {
    const int kind = MessageKind(message);
    const int d1 = MessageData1(message);
    const int d2 = MessageData2(message);
    used_ = true;
    if (kind == 0xC0) program_ = d1;
    if (kind == 0xD0) pressure_ = d1;
    if (kind == 0xE0) bend_ = d1 | (d2 << 8);
    if (kind != 0xB0 || d1 > kLastPlainController) return;
    if (!IsParameterController(d1)) {
      controllers_[static_cast<size_t>(d1)] = d2;
      return;
    }
    if (d1 >= kNrpnLsb) {
      selection_[static_cast<size_t>(d1 - kNrpnLsb)] = {d2, order};
      registeredSelected_ = d1 >= kRpnLsb;
    } else if (d1 == kDataEntry || d1 == kDataEntryLsb) {
      WriteData(d1 == kDataEntry, d2, order);
    }
    // Data increment and decrement depend on what the device holds: not replayed.
  }

  void Send(uint8_t ch) const {
    if (!used_) return;
    const auto send = [&](int status, int d1, int d2 = 0) {
      mm::midiOutShortMsg(modMidi.StreamHandle, static_cast<uint32_t>(PackShortMessage(status | ch, d1, d2)));
    };
    // A bank select takes effect at the next program change.
    for (int c : {kBankSelect, kBankSelectLsb}) {
      if (controllers_[static_cast<size_t>(c)] >= 0) send(0xB0, c, controllers_[static_cast<size_t>(c)]);
    }
    if (program_) send(0xC0, *program_);
    for (int c = 0; c <= kLastPlainController; ++c) {
      if (c == kBankSelect || c == kBankSelectLsb || controllers_[static_cast<size_t>(c)] < 0) continue;
      send(0xB0, c, controllers_[static_cast<size_t>(c)]);
    }
    std::vector<const Parameter*> written;
    for (const auto& p : parameters_) written.push_back(&p);
    std::sort(written.begin(), written.end(), [](auto* a, auto* b) { return a->lastWrite < b->lastWrite; });
    for (const Parameter* p : written) {
      send(0xB0, p->registered ? kRpnMsb : kNrpnMsb, p->msb);
      send(0xB0, p->registered ? kRpnLsb : kNrpnLsb, p->lsb);
      if (p->dataMsb) send(0xB0, kDataEntry, *p->dataMsb);
      if (p->dataLsb) send(0xB0, kDataEntryLsb, *p->dataLsb);
    }
    // The selection the song left, in the order it was made.
    std::vector<std::pair<int64_t, int>> selection;
    for (size_t i = 0; i < selection_.size(); ++i) {
      if (selection_[i].value >= 0) selection.push_back({selection_[i].order, kNrpnLsb + static_cast<int>(i)});
    }
    std::sort(selection.begin(), selection.end());
    for (const auto& [order, c] : selection) send(0xB0, c, selection_[static_cast<size_t>(c - kNrpnLsb)].value);
    if (pressure_) send(0xD0, *pressure_);
    if (bend_) send(0xE0, *bend_ & 0x7F, *bend_ >> 8);
  }

 private:
  struct Selected {
    int value = -1;
    int64_t order = 0;
  };

  void WriteData(bool msb, int value, int64_t order) {
    const bool registered = registeredSelected_;
    const Selected& hi = selection_[static_cast<size_t>((registered ? kRpnMsb : kNrpnMsb) - kNrpnLsb)];
    const Selected& lo = selection_[static_cast<size_t>((registered ? kRpnLsb : kNrpnLsb) - kNrpnLsb)];
    // Nothing selected, or the null parameter: the data goes nowhere.
    if (hi.value < 0 || lo.value < 0 || (hi.value == 127 && lo.value == 127)) return;
    auto it = std::find_if(parameters_.begin(), parameters_.end(), [&](const Parameter& p) {
      return p.registered == registered && p.msb == hi.value && p.lsb == lo.value;
    });
    if (it == parameters_.end()) it = parameters_.insert(parameters_.end(), Parameter{registered, hi.value, lo.value, {}, {}, 0});
    (msb ? it->dataMsb : it->dataLsb) = value;
    it->lastWrite = order;
  }

  bool used_ = false;
  std::optional<int> program_;
  std::optional<int> pressure_;
  std::optional<int> bend_;
  std::array<int, kLastPlainController + 1> controllers_ = MakeUnset();
  std::array<Selected, 4> selection_{};  // controllers 98, 99, 100, 101
  bool registeredSelected_ = false;
  std::vector<Parameter> parameters_;  // one per parameter written: bounded by 2 x 128 x 128

  static std::array<int, kLastPlainController + 1> MakeUnset() {
    std::array<int, kLastPlainController + 1> a{};
    a.fill(-1);
    return a;
  }
};

}  // namespace

void SendStateBeforeStart(int32_t start) {
  if (start <= 1) return;
  std::array<ChannelState, kChannelCount> channels;
  const auto& records = modMidi.Timeline.Items();
  const auto end = std::min<size_t>(static_cast<size_t>(start), records.size());
  for (size_t i = 1; i < end; ++i) {
    const EventRecord& r = records[i];
    // Tempo records and lyric carriers belong to no channel's sound.
    if (r.Message <= 127 || IsTempoRecord(r.Message) || r.LyricIndex > 0) continue;
    channels[static_cast<size_t>(MessageChannel(r.Message))].Take(r.Message, static_cast<int64_t>(i));
  }
  for (uint8_t ch = 0; ch < kChannelCount; ++ch) channels[ch].Send(ch);
}

}  // namespace sonara
