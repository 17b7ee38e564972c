#include "tools/setup_sim/RawTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace setwell::term {
namespace {

constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr char kLeaveScreen[] = "\x1b[0m\x1b[?25h\x1b[?1049l";

// What the signal handlers need; set while a RawTerminal is alive. Only
// async-signal-safe calls touch these from a handler.
struct SignalState {
  volatile sig_atomic_t active = 0;
  int in = 0;
  int out = 1;
  termios saved{};
  termios raw{};
  int wakeRead = -1;
  int wakeWrite = -1;
};
SignalState g_state;

// How long an escape byte waits for the rest of a sequence (Alt+key, an
// arrow) before it counts as the Escape key, which cancels the wizard.
constexpr int kEscapeWaitMs = 100;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

void Leave() {
  WriteAll(g_state.out, kLeaveScreen, sizeof kLeaveScreen - 1);
  ::tcsetattr(g_state.in, TCSAFLUSH, &g_state.saved);
}

void Enter() {
  ::tcsetattr(g_state.in, TCSAFLUSH, &g_state.raw);
  WriteAll(g_state.out, kEnterScreen, sizeof kEnterScreen - 1);
}

void Wake(char why) {
  if (g_state.wakeWrite >= 0) {
    const int saved = errno;
    [[maybe_unused]] ssize_t ignored = ::write(g_state.wakeWrite, &why, 1);
    errno = saved;
  }
}

void OnEndingSignal(int signal) {
  if (g_state.active) Leave();
  std::signal(signal, SIG_DFL);
  ::raise(signal);
}

void OnStop(int) {
  if (g_state.active) Leave();
  std::signal(SIGTSTP, SIG_DFL);
  ::raise(SIGTSTP);
  // Continued.
  std::signal(SIGTSTP, OnStop);
  if (g_state.active) {
    Enter();
    Wake('c');
  }
}

void OnContinue(int) {
  if (g_state.active) {
    Enter();
    Wake('c');
  }
}

void OnResize(int) { Wake('w'); }

void Install(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

bool RawTerminal::QuerySize(int fd, int& columns, int& rows) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return false;
  columns = size.ws_col;
  rows = size.ws_row;
  return true;
}

RawTerminal::RawTerminal(int inFd, int outFd) : in_(inFd), out_(outFd) {
  if (g_state.active) {
    error_ = "the terminal is already in use";
    return;
  }
  if (!::isatty(in_) || !::isatty(out_)) {
    error_ = "standard input and output must be a terminal";
    return;
  }
  if (::tcgetattr(in_, &g_state.saved) != 0) {
    error_ = std::string("cannot read the terminal's settings: ") + std::strerror(errno);
    return;
  }
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    error_ = std::string("cannot make a pipe: ") + std::strerror(errno);
    return;
  }
  for (int fd : pipeFds) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  g_state.wakeRead = pipeFds[0];
  g_state.wakeWrite = pipeFds[1];
  g_state.in = in_;
  g_state.out = out_;
  g_state.raw = g_state.saved;
  // Bytes as typed, no echo, no flow control, no translation of CR; the
  // terminal's own signals (Ctrl-C, Ctrl-Z) stay: they end or stop the
  // program, and the handlers put the terminal back first.
  g_state.raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
  g_state.raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  g_state.raw.c_cc[VMIN] = 1;
  g_state.raw.c_cc[VTIME] = 0;
  for (int signal : kEndingSignals) Install(signal, OnEndingSignal);
  Install(SIGTSTP, OnStop);
  Install(SIGCONT, OnContinue);
  Install(SIGWINCH, OnResize);
  g_state.active = 1;
  Enter();
  UpdateSize();
  ok_ = true;
}

RawTerminal::~RawTerminal() {
  if (!ok_) return;
  g_state.active = 0;
  for (int signal : kEndingSignals) std::signal(signal, SIG_DFL);
  std::signal(SIGTSTP, SIG_DFL);
  std::signal(SIGCONT, SIG_DFL);
  std::signal(SIGWINCH, SIG_DFL);
  Leave();
  ::close(g_state.wakeRead);
  ::close(g_state.wakeWrite);
  g_state.wakeRead = g_state.wakeWrite = -1;
}

void RawTerminal::UpdateSize() {
  int columns = 0;
  int rows = 0;
  if (QuerySize(out_, columns, rows) || QuerySize(in_, columns, rows)) {
    columns_ = columns;
    rows_ = rows;
  }
}

void RawTerminal::Write(const std::string& bytes) { WriteAll(out_, bytes.data(), bytes.size()); }

RawTerminal::Wait RawTerminal::Fill(int timeoutMs) {
  pollfd fds[2] = {{in_, POLLIN, 0}, {g_state.wakeRead, POLLIN, 0}};
  const int ready = ::poll(fds, 2, timeoutMs);
  if (ready < 0) {
    if (errno == EINTR) return Wait::kWoken;
    throw InputClosed();
  }
  if (ready == 0) return Wait::kTimeout;
  bool woken = false;
  if (fds[1].revents & POLLIN) {
    char why[16];
    while (::read(g_state.wakeRead, why, sizeof why) > 0) {
    }
    woken = true;
  }
  if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
    char bytes[256];
    const ssize_t got = ::read(in_, bytes, sizeof bytes);
    if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) throw InputClosed();
    if (got > 0) decoder_.Feed(std::string(bytes, static_cast<std::size_t>(got)));
  }
  return woken ? Wait::kWoken : Wait::kBytes;
}

Key RawTerminal::ReadKey() {
  for (;;) {
    if (std::optional<Key> key = decoder_.Next(false)) return *key;
    // An escape alone is the Escape key unless the rest of a sequence
    // follows at once.
    const bool pending = !decoder_.Empty();
    switch (Fill(pending ? kEscapeWaitMs : -1)) {
      case Wait::kWoken:
        UpdateSize();
        return CodeKey(KeyCode::kResize);
      case Wait::kTimeout:
        if (std::optional<Key> key = decoder_.Next(true)) return *key;
        break;
      case Wait::kBytes:
        break;
    }
  }
}

}  // namespace setwell::term
