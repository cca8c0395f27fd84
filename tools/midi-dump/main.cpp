// midi-dump FILE: opens FILE through clsMidi, as any client would, and prints
// what the player made of it (see SongDump.h and midi-dump --help).
//
// Exit code 0 for a loaded file, 1 for a file the player rejected or could
// not read (the reason goes to standard error on one line), 2 for a wrong
// command line.
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "SongDump.h"
#include "clsMidi.h"
#include "platform/dialogs.h"

namespace {

using namespace sonara;

constexpr std::string_view kUsage = "usage: midi-dump FILE\n       midi-dump --help\n";

void PrintHelp() {
  std::cout << kUsage
            << "\nLoads FILE as the player does and prints what it made of the song.\n"
               "Exit code 0 for a loaded song, 1 for a file that could not be read or is\n"
               "no song, 2 for a wrong command line. Write \"midi-dump -- FILE\" for a file\n"
               "whose name starts with \"--\".\n\n"
            << SongDumpLegend();
}

// Sends the player's message boxes to a text for as long as it lives.
class MessageCollector {
 public:
  MessageCollector()
      : previous_(mm::SetMessageBoxHandler([this](const std::string& text, const std::string&, uint32_t) {
          text_ += (text_.empty() ? "" : "; ") + text;
          return mm::IDOK;
        })) {}
  ~MessageCollector() { mm::SetMessageBoxHandler(previous_); }
  MessageCollector(const MessageCollector&) = delete;
  MessageCollector& operator=(const MessageCollector&) = delete;
  const std::string& Text() const noexcept { return text_; }

 private:
  std::string text_;
  mm::MessageBoxHandler previous_;
};

// Remembers whether the load ended with the file open.
class LoadWatcher : public clsMidiEvents {
 public:
  void Status(int16_t status, const std::string&) override { lastStatus = status; }
  int16_t lastStatus = -1;
};

int Dump(const std::string& path) {
  // The player's message boxes tell why a file was refused; they become the
  // one line of the error.
  MessageCollector messages;
  auto midi = clsMidi::Create();
  auto watcher = std::make_shared<LoadWatcher>();
  midi->Advise(watcher);
  midi->OpenMidiFile(path);
  if (watcher->lastStatus != kStatusFileOpen || midi->get_Status() != kStatusFileOpen) {
    std::cerr << "midi-dump: " << EscapeText(path) << ": "
              << EscapeText(messages.Text().empty() ? StatusText(kStatusInvalidFile) : messages.Text()) << '\n';
    return 1;
  }
  WriteSongDump(std::cout, *midi);
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // "--help" alone asks for help; every other word is a file name ("--" ends
  // the options), so a help-like word that names no file fails like any
  // missing file.
  std::string_view first = argc >= 2 ? argv[1] : "";
  if (argc == 2 && first == "--help") {
    PrintHelp();
    return 0;
  }
  int fileArg = 1;
  if (first == "--") fileArg = 2;
  if (argc != fileArg + 1) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string path = argv[fileArg];
  try {
    return Dump(path);
  } catch (const std::exception& e) {
    std::cerr << "midi-dump: " << EscapeText(path) << ": " << EscapeText(e.what()) << "\n";
    return 1;
  }
}
