#include "platform/terminal/TerminalPlatform.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace dw {

namespace {

// The game's own screen: the alternate screen, no cursor, no line wrap, the
// keypad in application mode (so it sends its own codes, not arrows).
constexpr char enterSequence[] = "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b=\x1b[0m\x1b[2J";
constexpr char leaveSequence[] = "\x1b[0m\x1b[?7h\x1b>\x1b[?25h\x1b[?1049l";
// While the game is busy, its pictures are drawn at most this often
// (milliseconds); the last one is always drawn before the game waits.
constexpr std::int64_t busyRedrawInterval = 15;

// What the signal handlers reach. The system calls them with nothing but the
// signal's number, so this is the one piece of state the terminal game keeps
// outside its objects; only one game holds the terminal at a time.
struct SignalShared {
  volatile sig_atomic_t wakeFd = -1;  // the write end of the game's wake-up pipe
  volatile sig_atomic_t active = 0;   // the terminal is in the game's hands
  volatile sig_atomic_t stopping = 0;
  struct termios saved {};
};
SignalShared shared;

// Gives the terminal back with async-signal-safe calls only.
void restoreTerminalNow() {
  if (!shared.active) return;
  shared.active = 0;
  ssize_t written = ::write(STDOUT_FILENO, leaveSequence, sizeof leaveSequence - 1);
  (void)written;
  tcsetattr(STDIN_FILENO, TCSANOW, &shared.saved);
}

// A resize or a continue after a stop: the game looks at it when it wakes.
void onWake(int sig) {
  int savedErrno = errno;
  auto byte = static_cast<unsigned char>(sig);
  if (shared.wakeFd >= 0) {
    ssize_t written = ::write(shared.wakeFd, &byte, 1);
    (void)written;
  }
  errno = savedErrno;
}

// Ctrl+C from outside, a termination request, a hang-up: the game ends at its
// next key. Asked a second time, it ends at once.
void onStop(int sig) {
  if (shared.stopping) {
    restoreTerminalNow();
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  shared.stopping = 1;
  onWake(sig);
}

void onCrash(int sig) {
  restoreTerminalNow();
  signal(sig, SIG_DFL);
  raise(sig);
}

// Stopped from outside (kill -TSTP, a background read or write): the
// terminal goes back to the shell exactly as for Ctrl+Z, the game stops the
// way the signal stops it, and takes the terminal again when continued.
void onOutsideStop(int sig) {
  int savedErrno = errno;
  restoreTerminalNow();
  struct sigaction ours {};
  struct sigaction stopping {};
  stopping.sa_handler = SIG_DFL;
  sigemptyset(&stopping.sa_mask);
  sigaction(sig, &stopping, &ours);
  // Installed with SA_NODEFER, so the signal stops the game right here.
  raise(sig);
  sigaction(sig, &ours, nullptr);
  // SIGCONT has woken the game, which takes the terminal again.
  errno = savedErrno;
}

// Signals whose default ends the game without a core: it ends at its next
// key, as for a termination request. Core-dumping ones give the terminal
// back and end at once.
constexpr int endingSignals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,  SIGALRM,
                                 SIGVTALRM, SIGPROF, SIGPIPE, SIGPOLL, SIGPWR,  SIGSTKFLT};
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS, SIGXCPU};
constexpr int stopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

bool utf8Locale() {
  // The locale is only asked, then put back: game text never goes through it.
  std::string previous = std::setlocale(LC_CTYPE, nullptr);
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    const char* codeset = nl_langinfo(CODESET);
    utf8 = codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  }
  std::setlocale(LC_CTYPE, previous.c_str());
  return utf8;
}

}  // namespace

std::unique_ptr<TerminalPlatform> TerminalPlatform::open(std::string& error,
                                                         std::optional<ColourDepth> colours) {
  std::unique_ptr<TerminalPlatform> platform(new TerminalPlatform());
  if (!platform->start(error, colours)) return nullptr;
  return platform;
}

bool TerminalPlatform::start(std::string& error, std::optional<ColourDepth> colours) {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    error = "standard input and output are not a terminal";
    return false;
  }
  if (shared.wakeFd >= 0) {
    error = "the terminal is already in use by a game";
    return false;
  }
  if (tcgetattr(STDIN_FILENO, &saved_) != 0) {
    error = std::string("cannot read the terminal's settings: ") + std::strerror(errno);
    return false;
  }
  bool utf8 = utf8Locale();
  const char* term = std::getenv("TERM");
  TerminalStyle style{
      colours.value_or(colourDepthFor(std::getenv("COLORTERM"), term, terminfoColours(term))),
      utf8};
  painter_ = TerminalPainter(style);
  decoder_ = KeyDecoder(utf8);
  if (pipe2(wakePipe_.data(), O_NONBLOCK | O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  shared.saved = saved_;
  shared.stopping = 0;
  shared.wakeFd = wakePipe_[1];

  installHandlers();

  enter();
  checkSize();
  return true;
}

// Every signal whose default ends or stops the game gives the terminal back
// first. One the game was started ignoring (nohup's hang-up, a pipe closed
// on purpose) stays ignored.
void TerminalPlatform::installHandlers() {
  auto install = [this](int sig, void (*handler)(int), int flags) {
    struct sigaction previous {};
    if (sigaction(sig, nullptr, &previous) != 0) return;
    if (previous.sa_handler == SIG_IGN && sig != SIGWINCH && sig != SIGCONT) return;
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    if (sigaction(sig, &action, nullptr) == 0) previousActions_.emplace_back(sig, previous);
  };
  for (int sig : endingSignals) install(sig, onStop, SA_RESTART);
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) install(sig, onStop, SA_RESTART);
  for (int sig : {SIGWINCH, SIGCONT}) install(sig, onWake, SA_RESTART);
  for (int sig : crashSignals) install(sig, onCrash, SA_RESETHAND | SA_NODEFER);
  // A stop with no shell to go on again (the game its session's own
  // process group: tmux new "duskwarren --terminal", say) would leave the
  // terminal to nobody: the game stays in its screen then.
  jobControl_ = getpgrp() != getsid(0);
  for (int sig : stopSignals)
    install(sig, jobControl_ ? onOutsideStop : SIG_IGN, SA_RESTART | SA_NODEFER);
}

TerminalPlatform::~TerminalPlatform() {
  close();
}

void TerminalPlatform::close() {
  leave();
  closed_ = true;
  for (auto it = previousActions_.rbegin(); it != previousActions_.rend(); ++it)
    sigaction(it->first, &it->second, nullptr);
  previousActions_.clear();
  if (wakePipe_[0] >= 0) {
    shared.wakeFd = -1;
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    wakePipe_ = {-1, -1};
  }
}

void TerminalPlatform::enter() {
  struct termios raw = saved_;
  raw.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  raw.c_cflag |= CS8;
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSADRAIN, &raw);
  shared.active = 1;
  active_ = true;
  write(enterSequence);
  painter_.forget();
  needsAll_ = true;
}

void TerminalPlatform::leave() {
  if (!active_) return;
  active_ = false;
  shared.active = 0;
  write(leaveSequence);
  if (titleUsed_) write("\x1b[23;0t");  // the title the terminal had
  tcsetattr(STDIN_FILENO, TCSADRAIN, &saved_);
}

void TerminalPlatform::checkSize() {
  struct winsize size {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
    columns_ = size.ws_col;
    rows_ = size.ws_row;
  } else {
    // A terminal that does not say its size is taken to be large enough.
    columns_ = Screen::textCols;
    rows_ = Screen::textRows;
  }
  tooSmall_ = columns_ < Screen::textCols || rows_ < Screen::textRows;
  if (!active_) return;
  if (tooSmall_) {
    write(tooSmallMessage(columns_, rows_));
    painter_.forget();
  }
  // A resized terminal may have moved or cleared anything: all is drawn anew.
  needsAll_ = true;
}

void TerminalPlatform::write(const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t written = ::write(STDOUT_FILENO, data, left);
    if (written > 0) {
      data += written;
      left -= static_cast<std::size_t>(written);
    } else if (written < 0 && errno == EAGAIN) {
      pollfd out{STDOUT_FILENO, POLLOUT, 0};
      poll(&out, 1, 1000);
    } else if (written < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // the terminal is gone; its input ends too
    }
  }
}

void TerminalPlatform::draw(bool everything) {
  if (!active_ || tooSmall_) return;
  everything = everything || needsAll_;
  bool front = frontDirty_;
  if (!everything && !frontDirty_ && screen().visibleChanges() == shownChanges_) return;
  shownChanges_ = screen().visibleChanges();
  frontDirty_ = false;
  mapper_.readPage(screen(), page_);
  decorate(page_);
  write(painter_.update(page_, screen().palette(), everything) + statusBytes(everything || front));
  needsAll_ = false;
  lastDrawMs_ = nowMs();
}

void TerminalPlatform::present() {
  if (!active_ || tooSmall_) return;
  if (!needsAll_ && !frontDirty_ && screen().visibleChanges() == shownChanges_) return;
  if (nowMs() - lastDrawMs_ < busyRedrawInterval) return;
  draw(false);
}

void TerminalPlatform::pumpEvents() {
  if (!closed_) service(0);
}

bool TerminalPlatform::waitEvents() {
  if (closed_) return false;
  draw(false);
  // What the shell told goes after a while; the caller comes back to wait on.
  if (toldUntilMs_ != 0) {
    auto left = static_cast<int>(toldUntilMs_ - nowMs());
    if (left > 0) return service(left);
    toldUntilMs_ = 0;
    told_.clear();
    frontChanged();
    draw(false);
  }
  return service(-1);
}

bool TerminalPlatform::waitEventsFor(int ms) {
  if (closed_) return false;
  draw(false);
  return service(std::max(ms, 0));
}

bool TerminalPlatform::service(int timeoutMs) {
  for (;;) {
    int wait = timeoutMs;
    if (decoder_.pending()) {
      auto left = static_cast<int>(std::max<std::int64_t>(0, escapeDeadlineMs_ - nowMs()));
      wait = wait < 0 ? left : std::min(wait, left);
    }
    std::array<pollfd, 2> fds{{{STDIN_FILENO, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}}};
    int ready = poll(fds.data(), fds.size(), wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      closed_ = true;
      return false;
    }
    std::vector<std::string> keys;
    if (fds[1].revents != 0) handleSignals();
    if (closed_) return false;
    if (ready == 0) {
      if (decoder_.pending() && nowMs() >= escapeDeadlineMs_) decoder_.flush(keys);
    } else if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) {
      char buffer[4096];
      ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (got > 0) {
        decoder_.feed(std::string_view(buffer, static_cast<std::size_t>(got)), keys);
        escapeDeadlineMs_ = nowMs() + KeyDecoder::escapeWaitMs;
      } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        closed_ = true;  // the terminal hung up
        leave();
        return false;
      }
    }
    deliver(keys);
    return !closed_;
  }
}

void TerminalPlatform::handleSignals() {
  unsigned char signals[64];
  bool resized = false, continued = false;
  ssize_t got;
  while ((got = ::read(wakePipe_[0], signals, sizeof signals)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      int sig = signals[i];
      if (sig == SIGWINCH) {
        resized = true;
      } else if (sig == SIGCONT) {
        continued = true;
      } else {
        endingSignal_ = sig;
        closed_ = true;
      }
    }
  }
  if (closed_) {
    leave();
    return;
  }
  if (continued && active_) {
    // Whoever stopped the game may have changed the terminal meanwhile.
    active_ = false;
    enter();
  }
  if (resized || continued) checkSize();
}

void TerminalPlatform::deliver(std::vector<std::string>& keys) {
  for (auto& key : keys) {
    if (key.size() == 1 && key[0] == KeyDecoder::interruptKey) {
      endingSignal_ = SIGINT;
      closed_ = true;
      leave();
      return;
    }
    if (ownAction(nameOfKey(key)) == FrontAction::suspend) {
      suspend();
      continue;
    }
    // What the player cannot see, the player has not meant to type.
    if (tooSmall_ || frontKey(key)) continue;
    pushKey(std::move(key));
  }
}

void TerminalPlatform::suspend() {
  if (!jobControl_) return;
  leave();
  raise(SIGTSTP);
  // Going on again, in whatever size the terminal has now.
  enter();
  checkSize();
}

double TerminalPlatform::readTimer() {
  return hostTimer();
}

ClockTime TerminalPlatform::readLocalTime() {
  return hostLocalTime();
}

std::int64_t TerminalPlatform::nowMs() const {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace dw
