#include "graph/tour_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr double kFrame = 1000;  // side of the square that holds the cities
constexpr double kMargin = 20;   // around the square
constexpr double kBanner = 40;   // height of the title line above it

FILE* Create(const char* path, std::string* error) {
  FILE* f = fopen(path, "w");
  if (!f) *error = std::string(path) + ": cannot create (" + strerror(errno) + ")";
  return f;
}

// Closes f; false, with the reason in *error, when anything written was lost.
bool Close(FILE* f, const char* path, std::string* error) {
  const bool failed = ferror(f) != 0;
  if (fclose(f) == 0 && !failed) return true;
  *error = std::string(path) + ": cannot write (" + strerror(errno) + ")";
  return false;
}

// Text for XML: markup characters escaped, Latin-1 bytes as character references,
// control characters (not allowed in XML) as '?'.
std::string Escaped(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else if (c >= 0x80)
      out += "&#" + std::to_string(c) + ";";
    else
      out += c < 0x20 ? '?' : static_cast<char>(c);
  }
  return out;
}

void PutTour(FILE* f, const std::string& name, const std::string& comment, const int* tour, unsigned n) {
  fprintf(f, "NAME : %s\n", name.c_str());
  if (!comment.empty()) fprintf(f, "COMMENT : %s\n", comment.c_str());
  fprintf(f, "TYPE : TOUR\nDIMENSION : %u\nTOUR_SECTION\n", n);
  for (unsigned k = 0; k < n; ++k) fprintf(f, "%d\n", tour[k] + 1);
  fprintf(f, "-1\nEOF\n");
}

}  // namespace

bool WriteTourFile(const char* path, const std::string& name, const std::string& comment, const int* tour,
                   unsigned n, std::string* error) {
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
    // A device or a pipe is written in place: there is no file to keep. Opened without
    // waiting, so that a FIFO nobody reads is refused instead of waiting for a reader.
    const int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* f = fd < 0 ? nullptr : fdopen(fd, "w");
    if (!f) {
      const int cause = errno;
      if (fd >= 0) close(fd);
      *error = std::string(path) + ": cannot create (" + strerror(cause) + ")";
      errno = cause;
      return false;
    }
    PutTour(f, name, comment, tour, n);
    return Close(f, path, error);
  }
  std::string temp = std::string(path) + ".XXXXXX";
  const int fd = mkstemp(&temp[0]);
  FILE* f = fd < 0 ? nullptr : fdopen(fd, "w");
  if (!f) {
    const int cause = errno;
    if (fd >= 0) close(fd), unlink(temp.c_str());
    *error = std::string(path) + ": cannot create (" + strerror(cause) + ")";
    errno = cause;
    return false;
  }
  const mode_t mask = umask(0);  // mkstemp gives 0600; the file gets the usual mode
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  PutTour(f, name, comment, tour, n);
  // The data reach the disk before the name does, so a crash never leaves a short file.
  bool ok = fflush(f) == 0 && !ferror(f) && fsync(fd) == 0;
  int cause = errno;
  if (fclose(f) != 0 && ok) ok = false, cause = errno;
  if (ok && rename(temp.c_str(), path) != 0) ok = false, cause = errno;
  if (ok) return true;
  unlink(temp.c_str());
  *error = std::string(path) + ": cannot write (" + strerror(cause) + ")";
  errno = cause;
  return false;
}

bool WriteTourSvg(const char* path, const std::string& title, const double* xy, const int* tour, unsigned n,
                  std::string* error) {
  double lo[2] = {xy[0], xy[1]}, hi[2] = {xy[0], xy[1]};
  for (unsigned i = 0; i < 2 * n; ++i) {
    lo[i % 2] = std::fmin(lo[i % 2], xy[i]);
    hi[i % 2] = std::fmax(hi[i % 2], xy[i]);
  }
  // One scale for both axes keeps the shapes; the cities are centred in the square.
  const double extent = std::fmax(hi[0] - lo[0], hi[1] - lo[1]);
  const double scale = extent > 0 ? kFrame / extent : 0;
  const double ox = kMargin + (kFrame - (hi[0] - lo[0]) * scale) / 2;
  const double oy = kBanner + kMargin + (kFrame + (hi[1] - lo[1]) * scale) / 2;
  auto X = [&](unsigned i) { return ox + (xy[2 * i] - lo[0]) * scale; };
  auto Y = [&](unsigned i) { return oy - (xy[2 * i + 1] - lo[1]) * scale; };  // north up
  const double r = n > 2000 ? 1 : n > 200 ? 2 : 4;

  FILE* f = Create(path, error);
  if (!f) return false;
  const std::string text = Escaped(title);
  fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  fprintf(f, "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %.0f %.0f\" width=\"%.0f\" height=\"%.0f\">\n",
          kFrame + 2 * kMargin, kFrame + 2 * kMargin + kBanner, kFrame + 2 * kMargin, kFrame + 2 * kMargin + kBanner);
  fprintf(f, "<title>%s</title>\n<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n", text.c_str());
  fprintf(f, "<text x=\"%.0f\" y=\"%.0f\" font-family=\"sans-serif\" font-size=\"20\">%s</text>\n", kMargin,
          kMargin + 20, text.c_str());
  fprintf(f, "<polyline fill=\"none\" stroke=\"#1f5fa8\" stroke-width=\"1.5\" points=\"");
  for (unsigned k = 0; k <= n; ++k) {
    const unsigned c = static_cast<unsigned>(tour[k % n]);
    fprintf(f, "%s%.1f,%.1f", k ? " " : "", X(c), Y(c));
  }
  fprintf(f, "\"/>\n<g fill=\"#c0392b\">\n");
  for (unsigned i = 0; i < n; ++i) fprintf(f, "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%.0f\"/>\n", X(i), Y(i), r);
  fprintf(f, "</g>\n</svg>\n");
  return Close(f, path, error);
}
