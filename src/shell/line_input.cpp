#include "shell/line_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "containers/resources.h"

#ifdef PVC_HAVE_LIBEDIT
#include <dirent.h>
#include <histedit.h>
#include <strings.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "algorithms/algorithms.h"

namespace {

constexpr int kHistoryLines = 1000;

// Waits until standard input can be read; false when Ctrl-C came, even with keys typed
// after it. poll() returns EINTR whatever the signal's flags, so the wait ends even
// though reads restart; other signals (a resized window) go on waiting.
bool WaitForInput() {
  for (;;) {
    pollfd p = {0, POLLIN, 0};
    const int r = poll(&p, 1, -1);
    if (pvc::Interrupted()) return false;
    if (r >= 0 || errno != EINTR) return true;
  }
}

// The editor's reader of one character: the bytes of standard input decoded in the
// terminal's encoding. 1 with a character, 0 at the end of input, -1 on Ctrl-C.
int GetChar(EditLine*, wchar_t* wc) {
  static mbstate_t state;
  for (;;) {
    if (!WaitForInput()) return -1;
    char c;
    const ssize_t got = read(0, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 0;
    const size_t r = mbrtowc(wc, &c, 1, &state);
    if (r == static_cast<size_t>(-2)) continue;  // more bytes of the character to come
    if (r == static_cast<size_t>(-1)) {          // not the terminal's encoding: the byte
      memset(&state, 0, sizeof state);
      *wc = static_cast<unsigned char>(c);
    }
    return 1;
  }
}

const char* Prompt(EditLine*) { return ">"; }

// The keys arrive in the terminal's encoding, which the editor decodes under the
// environment's locale; the commands are scanned and compared under the program's own
// locale, which comes back when the scope ends.
class TerminalLocale {
 public:
  TerminalLocale() {
    const char* current = setlocale(LC_CTYPE, nullptr);
    saved_ = current != nullptr ? current : "C";
    setlocale(LC_CTYPE, "");
  }
  ~TerminalLocale() { setlocale(LC_CTYPE, saved_.c_str()); }

 private:
  std::string saved_;
};

// The words that can follow what is typed: command keywords first, then per command.
const char* const kKeywords[] = {"quit", "help", "random ", "list", "solve ", "draw ",
                                 "output ", "show", "view ", "load ", "save "};

bool StartsWith(const std::string& s, const std::string& prefix, bool any_case) {
  return s.size() >= prefix.size() &&
         (any_case ? strncasecmp(s.c_str(), prefix.c_str(), prefix.size()) : s.compare(0, prefix.size(), prefix)) == 0;
}

// Names in the directory of word that begin like its last part; directories end in '/',
// files in a blank. Hidden names only when the part begins with a dot.
void FileNames(const std::string& word, std::vector<std::string>* out) {
  const size_t slash = word.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : word.substr(0, slash + 1);
  const std::string part = word.substr(dir.size());
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == ".." || (name[0] == '.' && part.empty()) || !StartsWith(name, part, false)) continue;
    struct stat st;
    const bool is_dir = stat((dir + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    out->push_back(dir + name + (is_dir ? "/" : " "));
  }
  closedir(d);
}

// Completes the word before the cursor: a keyword at the start of the line, an algorithm
// after "solve " and "save FILE ", a file name after "load " and "save ". One candidate
// replaces the word; several extend it to their common beginning, or are listed.
unsigned char Complete(EditLine* el, int) {
  const LineInfo* li = el_line(el);
  const std::string before(li->buffer, li->cursor);
  const size_t start = before.find_last_of(" \t") == std::string::npos ? 0 : before.find_last_of(" \t") + 1;
  const std::string word = before.substr(start);
  std::vector<std::string> words;  // the words typed before this one
  for (size_t p = 0, q; p < start; p = q + 1) {
    q = before.find_first_of(" \t", p);
    if (q > p) words.push_back(before.substr(p, q - p));
  }
  std::vector<std::string> found;
  bool any_case = true;
  const std::string command = words.empty() ? "" : words[0];
  if (words.empty()) {
    for (const char* k : kKeywords)
      if (StartsWith(k, word, true)) found.push_back(k);
  } else if ((strcasecmp(command.c_str(), "solve") == 0 && words.size() == 1) ||
             (strcasecmp(command.c_str(), "save") == 0 && words.size() == 2)) {
    for (int i = 0; Algorithmes[i].Name != nullptr; ++i)
      if (StartsWith(Algorithmes[i].Name, word, true)) found.push_back(std::string(Algorithmes[i].Name) + " ");
  } else if ((strcasecmp(command.c_str(), "load") == 0 || strcasecmp(command.c_str(), "save") == 0) &&
             words.size() == 1) {
    any_case = false;
    FileNames(word, &found);
  }
  if (found.empty()) return CC_REFRESH_BEEP;
  std::string common = found[0];
  for (const std::string& f : found) {
    size_t k = 0;
    while (k < common.size() && k < f.size() &&
           (any_case ? tolower(common[k]) == tolower(f[k]) : common[k] == f[k]))
      ++k;
    common.resize(k);
  }
  if (common.size() > word.size() || (found.size() == 1 && common != word)) {
    el_deletestr(el, static_cast<int>(word.size()));
    el_insertstr(el, common.c_str());
    return CC_REFRESH;
  }
  // Nothing to add: the candidates are listed under the line, which is drawn again.
  FILE* out = static_cast<FILE*>(nullptr);
  el_get(el, EL_GETFP, 1, &out);
  fputc('\n', out);
  for (const std::string& f : found) fprintf(out, "%s  ", f.substr(0, f.find_last_not_of(' ') + 1).c_str());
  fputc('\n', out);
  fflush(out);
  return CC_REDISPLAY;
}

}  // namespace

// libedit on the terminal, with its own streams: what the user types is echoed straight
// to the terminal, whatever standard output is made to do with the program's text.
class LineInput::Editor {
 public:
  Editor() {
    TerminalLocale locale;
    in_ = fdopen(dup(0), "r");
    out_ = fdopen(dup(1), "w");
    if (in_ != nullptr && out_ != nullptr) el_ = el_init("pvc", in_, out_, out_);
    hist_ = history_init();
    if (el_ == nullptr || hist_ == nullptr) return;
    HistEvent ev;
    history(hist_, &ev, H_SETSIZE, kHistoryLines);
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
      file_ = std::string(home) + "/.pvc_history";
      history(hist_, &ev, H_LOAD, file_.c_str());
    }
    el_set(el_, EL_EDITOR, "emacs");
    el_set(el_, EL_SIGNAL, 1);
    el_set(el_, EL_PROMPT, Prompt);
    el_set(el_, EL_HIST, history, hist_);
    el_set(el_, EL_GETCFN, GetChar);
    // The wide form keeps these static names; the narrow one copies them and never frees.
    el_wset(el_, EL_ADDFN, L"pvc-complete", L"Complete the word before the cursor", Complete);
    el_set(el_, EL_BIND, "^I", "pvc-complete", static_cast<char*>(nullptr));
    el_source(el_, nullptr);  // the user's ~/.editrc
  }
  ~Editor() {
    if (el_ != nullptr) el_end(el_);
    if (hist_ != nullptr) history_end(hist_);
    if (in_ != nullptr) fclose(in_);
    if (out_ != nullptr) fclose(out_);
  }
  bool Ready() const { return el_ != nullptr && hist_ != nullptr; }

  LineStatus Read(char* line) {
    TerminalLocale locale;
    int count = 0;
    const char* text = el_gets(el_, &count);
    if (text == nullptr || count <= 0) return pvc::Interrupted() ? LineStatus::kInterrupted : LineStatus::kEnd;
    size_t len = static_cast<size_t>(count);
    if (text[len - 1] == '\n') --len;
    if (len > kLineMax) return LineStatus::kTooLong;
    memcpy(line, text, len);
    line[len] = '\0';
    if (len > 0) {
      HistEvent ev;
      history(hist_, &ev, H_ENTER, line);
      if (!file_.empty()) history(hist_, &ev, H_SAVE, file_.c_str());  // kept even if the program is killed
    }
    return LineStatus::kLine;
  }

 private:
  FILE* in_ = nullptr;
  FILE* out_ = nullptr;
  EditLine* el_ = nullptr;
  History* hist_ = nullptr;
  std::string file_;
};

LineInput::LineInput() {
  if (!isatty(0) || !isatty(1)) return;
  editor_ = new Editor;
  if (!editor_->Ready()) {
    delete editor_;
    editor_ = nullptr;
  }
}

LineInput::~LineInput() { delete editor_; }

#else

class LineInput::Editor {
 public:
  LineStatus Read(char*) { return LineStatus::kEnd; }
};

LineInput::LineInput() {}
LineInput::~LineInput() {}

#endif

LineStatus LineInput::Read(char* line) {
  if (editor_ != nullptr) {
    // The newline goes out with the program's text, the '>' with the editor's line.
    printf("\n");
    fflush(stdout);
    return editor_->Read(line);
  }
  printf("\n>");
  fflush(stdout);
  return ReadPlain(line);
}

// Reads standard input with read(2), so that a Ctrl-C at the prompt can discard the line
// being typed: poll() returns EINTR whatever the signal's flags.
LineStatus LineInput::ReadPlain(char* line) {
  size_t len = 0;
  bool too_long = false;
  for (;;) {
    if (pos_ == end_) {
      if (eof_) break;
      pollfd p = {0, POLLIN, 0};
      int r = poll(&p, 1, -1);
      if (r < 0 && errno == EINTR) return LineStatus::kInterrupted;
      ssize_t got = read(0, chunk_, sizeof chunk_);
      if (got < 0 && errno == EINTR) return LineStatus::kInterrupted;
      if (got <= 0) {
        eof_ = true;
        break;
      }
      pos_ = 0;
      end_ = static_cast<size_t>(got);
    }
    char c = chunk_[pos_++];
    if (c == '\n') {
      if (too_long) return LineStatus::kTooLong;
      line[len] = '\0';
      return LineStatus::kLine;
    }
    if (len < kLineMax)
      line[len++] = c;
    else
      too_long = true;
  }
  if (too_long) return LineStatus::kTooLong;
  if (len == 0) return LineStatus::kEnd;
  line[len] = '\0';  // a last line without its newline is still carried out
  return LineStatus::kLine;
}
