#include "alsa_seq_device.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

#include "alsa_seq_event.h"

namespace mm {
namespace {

constexpr const char* kSequencerNode = "/dev/snd/seq";
constexpr size_t kMaxNameLength = 31;
constexpr int kChannels = 16;
constexpr int kAllSoundOff = 120, kAllNotesOff = 123;

thread_local std::string firstAlsaError;

void KeepAlsaError(const char*, int, const char*, int, const char* format, ...) {
  if (!firstAlsaError.empty() || !format) return;
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  firstAlsaError = text;
}

struct SequencerCloser {
  void operator()(snd_seq_t* seq) const { snd_seq_close(seq); }
};
using Sequencer = std::unique_ptr<snd_seq_t, SequencerCloser>;

Sequencer OpenSequencer(std::string& reason) {
  QuietAlsaErrors();
  snd_seq_t* seq = nullptr;
  // Non-blocking: a receiver that stops reading loses events rather than
  // stalling the stream's thread.
  int err = snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK);
  if (err < 0) {
    reason = std::string("cannot open the ALSA sequencer (") + snd_strerror(err) + ")";
    return nullptr;
  }
  snd_seq_set_client_name(seq, "Sonara");
  return Sequencer(seq);
}

class AlsaPortDevice : public OutputDevice {
 public:
  AlsaPortDevice(int client, int port, std::string name) : client_(client), port_(port), name_(std::move(name)) {}

  std::string Name() const override { return name_; }

  MMRESULT Open(std::string& reason) override {
    std::lock_guard lock(lock_);
    if (users_ == 0) {
      Sequencer seq = OpenSequencer(reason);
      if (!seq) return MMSYSERR_NODRIVER;
      int own = snd_seq_create_simple_port(seq.get(), "Sonara output", SND_SEQ_PORT_CAP_READ,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
      if (own < 0) {
        reason = std::string("cannot create a sequencer port (") + snd_strerror(own) + ")";
        return MMSYSERR_NODRIVER;
      }
      seq_ = std::move(seq);
      ownPort_ = own;
    }
    ++users_;
    return MMSYSERR_NOERROR;
  }

  void Close() override {
    std::lock_guard lock(lock_);
    if (users_ > 0 && --users_ == 0) seq_.reset();
  }

  void SendShortMessage(uint32_t message) override {
    std::lock_guard lock(lock_);
    Send(message);
  }

  void Reset() override {
    std::lock_guard lock(lock_);
    for (int ch = 0; ch < kChannels; ++ch) {
      Send(0xB0u | ch | (kAllNotesOff << 8));
      Send(0xB0u | ch | (kAllSoundOff << 8));
    }
  }

 private:
  // A direct event goes to the port at once: the stream calls us at the
  // message's due time. The handle is not thread-safe, hence the lock.
  void Send(uint32_t message) {
    snd_seq_event_t ev;
    if (!seq_ || !ToSequencerEvent(message, ev)) return;
    snd_seq_ev_set_source(&ev, ownPort_);
    snd_seq_ev_set_dest(&ev, client_, port_);
    snd_seq_ev_set_direct(&ev);
    snd_seq_event_output_direct(seq_.get(), &ev);
  }

  const int client_, port_;
  const std::string name_;
  std::mutex lock_;
  Sequencer seq_;
  int ownPort_ = 0;
  int users_ = 0;
};

template <class T, void (*Free)(T*)>
struct AlsaFree {
  void operator()(T* p) const { Free(p); }
};

}  // namespace

bool ToSequencerEvent(uint32_t message, snd_seq_event_t& ev) {
  snd_seq_ev_clear(&ev);
  const int status = message & 0xFF;
  const int ch = status & 0x0F;
  const int data1 = (message >> 8) & 0x7F;
  const int data2 = (message >> 16) & 0x7F;
  switch (status & 0xF0) {
    case 0x80: snd_seq_ev_set_noteoff(&ev, ch, data1, data2); return true;
    case 0x90: snd_seq_ev_set_noteon(&ev, ch, data1, data2); return true;
    case 0xA0: snd_seq_ev_set_keypress(&ev, ch, data1, data2); return true;
    case 0xB0: snd_seq_ev_set_controller(&ev, ch, data1, data2); return true;
    case 0xC0: snd_seq_ev_set_pgmchange(&ev, ch, data1); return true;
    case 0xD0: snd_seq_ev_set_chanpress(&ev, ch, data1); return true;
    case 0xE0: snd_seq_ev_set_pitchbend(&ev, ch, (data1 | (data2 << 7)) - 8192); return true;
    default: return false;
  }
}

void QuietAlsaErrors() {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(KeepAlsaError); });
}

std::string TakeAlsaError() { return std::exchange(firstAlsaError, std::string()); }

bool AlsaSequencerAvailable() {
  struct stat st;
  return ::stat(kSequencerNode, &st) == 0;
}

std::vector<std::shared_ptr<OutputDevice>> AlsaSequencerDevices() {
  std::vector<std::shared_ptr<OutputDevice>> devices;
  std::string reason;
  Sequencer seq = OpenSequencer(reason);
  if (!seq) return devices;
  const int self = snd_seq_client_id(seq.get());

  std::unique_ptr<snd_seq_client_info_t, AlsaFree<snd_seq_client_info_t, snd_seq_client_info_free>> client;
  std::unique_ptr<snd_seq_port_info_t, AlsaFree<snd_seq_port_info_t, snd_seq_port_info_free>> port;
  {
    snd_seq_client_info_t* c = nullptr;
    snd_seq_port_info_t* p = nullptr;
    if (snd_seq_client_info_malloc(&c) == 0) client.reset(c);
    if (snd_seq_port_info_malloc(&p) == 0) port.reset(p);
    if (!client || !port) return devices;
  }
  snd_seq_client_info_t* c = client.get();
  snd_seq_port_info_t* p = port.get();

  constexpr unsigned kWanted = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
  snd_seq_client_info_set_client(c, -1);
  while (snd_seq_query_next_client(seq.get(), c) >= 0) {
    const int id = snd_seq_client_info_get_client(c);
    // The system client's timer and announcement ports are no instruments.
    if (id == self || id == SND_SEQ_CLIENT_SYSTEM) continue;
    snd_seq_port_info_set_client(p, id);
    snd_seq_port_info_set_port(p, -1);
    while (snd_seq_query_next_port(seq.get(), p) >= 0) {
      const unsigned caps = snd_seq_port_info_get_capability(p);
      if ((caps & kWanted) != kWanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
      std::string name = snd_seq_port_info_get_name(p);
      name.resize(std::min(name.size(), kMaxNameLength));
      devices.push_back(std::make_shared<AlsaPortDevice>(id, snd_seq_port_info_get_port(p), std::move(name)));
    }
  }
  return devices;
}

}  // namespace mm
