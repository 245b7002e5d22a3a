// The options dialog as a person meets it at a terminal: a form drawn from
// the plug-in's dialog resource, whose every key press goes to the gadgets
// through the same engine as the answer options, so the plug-in's own rules
// (what it disables, its defaults) show as they would in a window.
//
// Keys: Up and Down move between the choices that take input; Space (or a
// number, for the n-th choice of the group under the cursor) chooses;
// typing on the scale field edits it; Enter confirms; Escape, Ctrl-C,
// SIGTERM and a hang-up cancel, the terminal restored.
#include "TerminalDialog.h"

#include "Text.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "Handles.h"

namespace tessaro {

#if defined(_WIN32)

bool TerminalDialogAvailable() { return false; }
void RunTerminalDialog(th_dialog *) {}

#else

bool TerminalDialogAvailable() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

namespace {

enum Key { kNone, kUp, kDown, kEnter, kEscape, kSpace, kBackspace, kChar, kSuspend };

struct Press {
  Key key = kNone;
  char c = 0;
};

// Set by Ctrl-C, Ctrl-\\, SIGTERM or a hang-up while the form is up: the dialog is
// cancelled and the terminal restored, instead of the program dying with
// the terminal raw and the cursor hidden.
volatile sig_atomic_t g_interrupted = 0;
void Interrupted(int) { g_interrupted = 1; }

// Set by Ctrl-Z: the form gives the terminal back before the program stops,
// and takes it again when it goes on.
volatile sig_atomic_t g_suspended = 0;
void Suspended(int) { g_suspended = 1; }

Press ReadKey() {
  // Waits a little at a time, so that an interruption between two reads
  // is seen too.
  for (;;) {
    if (g_interrupted) return {kEscape, 0};
    if (g_suspended) return {kSuspend, 0};
    struct pollfd wait = {STDIN_FILENO, POLLIN, 0};
    int ready = poll(&wait, 1, 200);
    if (ready > 0) break;
    if (ready < 0 && errno != EINTR) return {kEscape, 0};
  }
  unsigned char c;
  if (read(STDIN_FILENO, &c, 1) != 1) return {kEscape, 0};  // end of input cancels
  if (c == '\r' || c == '\n') return {kEnter, 0};
  if (c == ' ') return {kSpace, 0};
  if (c == 127 || c == 8) return {kBackspace, 0};
  if (c == 27) {
    // An escape sequence follows at once; a lone Escape does not.
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) return {kEscape, 0};
    unsigned char seq[2];
    if (read(STDIN_FILENO, &seq[0], 1) != 1) return {kEscape, 0};
    if (seq[0] != '[' && seq[0] != 'O') return {kNone, 0};
    if (read(STDIN_FILENO, &seq[1], 1) != 1) return {kEscape, 0};
    if (seq[1] == 'A') return {kUp, 0};
    if (seq[1] == 'B') return {kDown, 0};
    return {kNone, 0};
  }
  if (c >= 32 && c < 127) return {kChar, static_cast<char>(c)};
  return {kNone, 0};
}

class RawTerminal {
 public:
  RawTerminal() {
    g_interrupted = 0;
    g_suspended = 0;
    struct sigaction on = {};
    on.sa_handler = Interrupted;  // no SA_RESTART: a read in progress returns
    sigemptyset(&on.sa_mask);
    for (size_t i = 0; i < kSignals; ++i) sigaction(kSignal[i], &on, &before_[i]);
    on.sa_handler = Suspended;
    sigaction(SIGTSTP, &on, &beforeStop_);
    ok_ = tcgetattr(STDIN_FILENO, &saved_) == 0;
    Enter();
  }
  ~RawTerminal() {
    Leave();
    for (size_t i = 0; i < kSignals; ++i) sigaction(kSignal[i], &before_[i], nullptr);
    sigaction(SIGTSTP, &beforeStop_, nullptr);
  }

  // Ctrl-Z: the terminal as it was, then stopped as any program is; on
  // going on, raw again (the form is drawn anew by the caller).
  void Suspend() {
    g_suspended = 0;
    // The shell may have taken the terminal already: setting its modes from
    // the background would stop the program (SIGTTOU) before they are set.
    struct sigaction ignore = {}, ttou = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGTTOU, &ignore, &ttou);
    Leave();
    struct sigaction stop = {}, mine = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &mine);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &mine, nullptr);
    Enter();
    sigaction(SIGTTOU, &ttou, nullptr);
  }

 private:
  void Enter() {
    if (!ok_) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    std::fputs("\x1b[?25l", stdout);  // hide the cursor
    std::fflush(stdout);
  }
  void Leave() {
    std::fputs("\x1b[?25h", stdout);
    std::fflush(stdout);
    if (ok_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }

  static constexpr size_t kSignals = 4;
  static constexpr int kSignal[kSignals] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  struct sigaction before_[kSignals] = {};
  struct sigaction beforeStop_ = {};
  termios saved_{};
  bool ok_ = false;
};

// One line of the form that takes input.
struct Item {
  enum Kind { Option, Row, Field, Button } kind;
  int32_t gadget;  // the option, list, field or button
  int32_t row = -1;
  int32_t group = 0;  // the radio group or list the item belongs to
};

class Form {
 public:
  explicit Form(th_dialog *d) : d_(d) {}

  void Run() {
    RawTerminal raw;
    Build();
    focus_ = NextFocus(-1, +1);
    while (!d_->closed) {
      Draw();
      Press p = ReadKey();
      if (p.key == kSuspend) {
        raw.Suspend();
        continue;
      }
      refusal_.clear();  // said until the next key
      Handle(p);
      Build();  // a command may enable or disable gadgets
      if (focus_ >= static_cast<int>(items_.size()) || (focus_ >= 0 && !Takes(items_[size_t(focus_)])))
        focus_ = NextFocus(focus_, +1);
    }
    std::fputs("\x1b[2J\x1b[H", stdout);
    std::fflush(stdout);
  }

 private:
  Gadget *Find(int32_t id) { return FindGadget(d_, id); }
  th_listview *List(int32_t id) {
    auto it = d_->lists.find(id);
    return it == d_->lists.end() ? nullptr : it->second;
  }
  bool Takes(const Item &i) {
    Gadget *g = Find(i.gadget);
    return g && GadgetClickable(d_, *g);
  }

  void Build() {
    items_.clear();
    for (const GadgetDef &def : d_->def.gadgets) {
      switch (def.kind) {
        case GadgetDef::Radio: items_.push_back({Item::Option, def.id, -1, def.group}); break;
        case GadgetDef::RealField: items_.push_back({Item::Field, def.id, -1, 0}); break;
        case GadgetDef::Button: items_.push_back({Item::Button, def.id, -1, 0}); break;
        case GadgetDef::ListView:
          if (th_listview *lv = List(def.id))
            for (const auto &row : lv->rows) items_.push_back({Item::Row, def.id, row.first, def.id});
          break;
        default: break;
      }
    }
  }

  int NextFocus(int from, int step) {
    int n = static_cast<int>(items_.size());
    for (int k = 1; k <= n; ++k) {
      int i = ((from + step * k) % n + n) % n;
      if (Takes(items_[size_t(i)])) return i;
    }
    return -1;
  }

  // A row shows the first text of its container: an object's name, which
  // must not reach the terminal as control characters.
  static std::string RowText(const Container &row) {
    for (const auto &cell : row)
      if (cell.second.type == Value::Text) return Printable(cell.second.s);
    return "";
  }

  void Draw() {
    std::string out = "\x1b[2J\x1b[H" + d_->def.title + "\r\n\r\n";
    size_t item = 0;
    for (const GadgetDef &def : d_->def.gadgets) {
      std::string indent(static_cast<size_t>(def.depth) * 2, ' ');
      Gadget *g = Find(def.id);
      const bool live = !g || GadgetClickable(d_, *g);  // groups without an ID take no input of their own
      auto mark = [&](bool focused) { return std::string(focused ? "> " : "  "); };
      switch (def.kind) {
        case GadgetDef::Group:
        case GadgetDef::RadioGroup:
          out += "  " + indent + def.label + (live ? "" : " (disabled)") + "\r\n";
          break;
        case GadgetDef::Radio: {
          Gadget *group = Find(def.group);
          bool chosen = group && group->l == def.id;
          int number = 1;
          for (const GadgetDef &o : d_->def.gadgets) {
            if (o.id == def.id) break;
            if (o.kind == GadgetDef::Radio && o.group == def.group) ++number;
          }
          out += mark(int(item) == focus_) + indent + (chosen ? "(*) " : "( ) ") + std::to_string(number) + " " +
                 def.label + (live ? "" : " -") + "\r\n";
          ++item;
          break;
        }
        case GadgetDef::ListView: {
          out += "  " + indent + def.label + ":" + (live ? "" : " (disabled)") + "\r\n";
          th_listview *lv = List(def.id);
          if (!lv || lv->rows.empty()) out += "  " + indent + "  (none)\r\n";
          int number = 1;
          if (lv)
            for (const auto &row : lv->rows) {
              bool chosen = lv->selection.count(row.first) != 0;
              out += mark(int(item) == focus_) + indent + "  " + (chosen ? "[x] " : "[ ] ") + std::to_string(number++) +
                     " " + RowText(row.second) + "\r\n";
              ++item;
            }
          break;
        }
        case GadgetDef::RealField: {
          bool focused = int(item) == focus_;
          std::string value = focused && editing_ ? edit_ + "_" : Number(g ? g->r : 0);
          out += mark(focused) + indent + def.label + ": " + value + (live ? "" : " -") + "\r\n";
          ++item;
          break;
        }
        case GadgetDef::Button:
          out += mark(int(item) == focus_) + indent + "[ " + def.label + " ]\r\n";
          ++item;
          break;
        default: break;
      }
    }
    if (!refusal_.empty()) out += "\r\n" + refusal_ + "\r\n";
    out += "\r\nUp/Down move, Space or a number chooses, Enter confirms, Esc cancels\r\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
  }

  static std::string Number(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(v));
    return buf;
  }

  // Ends an edit of the scale field: the field clamps what was typed.
  void Commit() {
    if (!editing_) return;
    editing_ = false;
    Gadget *g = Find(items_[size_t(focus_)].gadget);
    char *end = nullptr;
    float v = std::strtof(edit_.c_str(), &end);
    if (!g || edit_.empty() || *end != 0 || !std::isfinite(v)) return;
    if (g->min < g->max) v = std::fmax(g->min, std::fmin(g->max, v));
    g->r = v;
    PressGadget(d_, g->def.id);
  }

  void Choose(const Item &i) {
    if (i.kind == Item::Option) {
      Gadget *group = Find(i.group);
      if (!group) return;
      group->l = i.gadget;
      PressGadget(d_, group->def.id);
    } else if (i.kind == Item::Row) {
      if (th_listview *lv = List(i.gadget)) {
        lv->selection = {i.row};
        PressGadget(d_, lv->id);
      }
    } else if (i.kind == Item::Button) {
      PressGadget(d_, i.gadget);
    }
  }

  void Handle(const Press &p) {
    Item *at = focus_ >= 0 ? &items_[size_t(focus_)] : nullptr;
    if (p.key == kEscape) {
      editing_ = false;
      PressGadget(d_, 2);
    } else if (p.key == kEnter) {
      Commit();
      // Enter on a button presses it; anywhere else it confirms.
      PressGadget(d_, at && at->kind == Item::Button ? at->gadget : 1);
    } else if (p.key == kUp || p.key == kDown) {
      Commit();
      focus_ = NextFocus(focus_, p.key == kUp ? -1 : +1);
    } else if (at && at->kind == Item::Field && (p.key == kChar || p.key == kBackspace)) {
      if (!editing_) editing_ = true, edit_.clear();
      if (p.key == kBackspace) {
        if (!edit_.empty()) edit_.pop_back();
      } else if (std::string("0123456789.-+eE").find(p.c) != std::string::npos) {
        edit_ += p.c;
      }
    } else if (at && p.key == kSpace) {
      Choose(*at);
    } else if (at && p.key == kChar && p.c >= '1' && p.c <= '9' && at->group) {
      int n = p.c - '0';
      bool found = false;
      for (size_t k = 0; k < items_.size() && !found; ++k)
        if (items_[k].group == at->group && items_[k].kind == at->kind && --n == 0) {
          found = true;
          if (Takes(items_[k])) {
            focus_ = static_cast<int>(k);
            Choose(items_[k]);
          } else {
            refusal_ = "\"" + Label(items_[k]) + "\" is disabled: it cannot be chosen now";
          }
        }
      if (!found) refusal_ = std::string("there is no choice ") + p.c + " here";
    }
  }

  // What a line of the form shows for an item: an option's or a button's
  // label, a row's object name.
  std::string Label(const Item &i) {
    if (i.kind == Item::Row) {
      if (th_listview *lv = List(i.gadget)) {
        auto row = lv->rows.find(i.row);
        if (row != lv->rows.end()) return RowText(row->second);
      }
      return "";
    }
    Gadget *g = Find(i.gadget);
    return g ? g->def.label : "";
  }

  th_dialog *d_;
  std::vector<Item> items_;
  std::string refusal_;  // why the last key did nothing
  int focus_ = -1;
  bool editing_ = false;
  std::string edit_;
};

}  // namespace

void RunTerminalDialog(th_dialog *d) { Form(d).Run(); }

#endif

}  // namespace tessaro
