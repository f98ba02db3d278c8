#include "shell/terminal.h"

#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "algorithms/algorithms.h"

namespace pvc {

namespace {

int g_descriptors[2] = {1, 2};

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

// Writes Latin-1 bytes as UTF-8: below 0x80 as they are, the others as two bytes (0xE9,
// e acute, becomes C3 A9). Returns the input bytes written, -1 when none could be.
ssize_t WriteUtf8(void* cookie, const char* buf, size_t size) {
  const int fd = *static_cast<int*>(cookie);
  char out[1024];
  size_t done = 0;
  while (done < size) {
    size_t i = done, o = 0;
    for (; i < size && o + 2 <= sizeof out; ++i) {
      const unsigned char c = static_cast<unsigned char>(buf[i]);
      if (c < 0x80) {
        out[o++] = static_cast<char>(c);
      } else {
        out[o++] = static_cast<char>(0xC0 | (c >> 6));
        out[o++] = static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    if (!WriteAll(fd, out, o)) return done > 0 ? static_cast<ssize_t>(done) : -1;
    done = i;
  }
  return static_cast<ssize_t>(size);
}

// The environment's character set is read, then the C locale comes back, so that the
// scanning and case folding of commands stay those of the C locale.
bool Utf8Locale() {
  const char* current = setlocale(LC_CTYPE, nullptr);
  const std::string saved = current ? current : "C";
  const bool utf8 = setlocale(LC_CTYPE, "") != nullptr && strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  setlocale(LC_CTYPE, saved.c_str());
  return utf8;
}

FILE* Utf8Stream(int* fd, int buffering) {
  cookie_io_functions_t io = {nullptr, WriteUtf8, nullptr, nullptr};
  FILE* f = fopencookie(fd, "w", io);
  if (f != nullptr) setvbuf(f, nullptr, buffering, BUFSIZ);
  return f;
}

}  // namespace

int InstallUtf8Output() {
  const bool out = isatty(1) != 0, err = isatty(2) != 0;
  if ((!out && !err) || !Utf8Locale()) return 0;
  fflush(stdout);
  fflush(stderr);
  int replaced = 0;
  FILE* f;
  if (out && (f = Utf8Stream(&g_descriptors[0], _IOLBF)) != nullptr) stdout = f, replaced |= 1;
  if (err && (f = Utf8Stream(&g_descriptors[1], _IONBF)) != nullptr) stderr = f, replaced |= 2;
  return replaced;
}

bool ProgressWanted(unsigned long options) {
  return OutputOf(options) == None && DrawIntervalOf(options) == 0 && isatty(2);
}

void DrawTerminalLine(const char* prefix, const char* text) {
  winsize ws;
  int width = ioctl(2, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 ? ws.ws_col : 80;
  // One column short of the width, so that the line never wraps and "\r" finds its start.
  const int room = width - 1 - static_cast<int>(strlen(prefix));
  fprintf(stderr, "\r%s%.*s\033[K", prefix, room > 0 ? room : 0, text);
  fflush(stderr);
}

void EraseTerminalLine() {
  fputs("\r\033[K", stderr);
  fflush(stderr);
}

void TerminalProgress(const ProgressReport& r) {
  char line[256];
  FormatProgress(r, line, sizeof line);
  DrawTerminalLine("", line);
}

}  // namespace pvc
