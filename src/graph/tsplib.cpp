#include "graph/tsplib.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "containers/progress.h"
#include "containers/resources.h"

namespace {

constexpr double kMaxWeight = 2147483647.0;  // weights and coordinates stay below 2^31
constexpr double kMaxCoordinate = 1e12;      // keeps every difference and extent finite
constexpr size_t kWordMax = 64;              // characters kept of a word
constexpr size_t kValueMax = 256;            // characters kept of a header value
constexpr double kPi = 3.141593;             // the value TSPLIB's GEO distance uses
constexpr double kEarthRadius = 6378.388;    // kilometres

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A byte that no text file holds: a control character other than tab, line feed, form
// feed and carriage return (NUL, VT, DEL, ...). Bytes above 127 are accented letters.
bool ControlCharacter(int c) { return (c < 32 && c != '\t' && c != '\n' && c != '\f' && c != '\r') || c == 127; }

// The words of a file (runs of characters other than blanks and line ends), with the
// line each one stands on and whether it begins its line. Words and values longer than
// the kept length are cut and marked, so no line length can exhaust anything.
//
// Reading stops, as at the end of the file, at a read error, at a byte that is no text
// and when Ctrl-C was pressed; Stopped() then tells why. A descriptor is waited on with
// poll, a short while at a time, so that a source that never ends (a device, a pipe, a
// FIFO without writer) is left at Ctrl-C; a stream is read with fread.
class Scanner {
 public:
  explicit Scanner(FILE* f) : f_(f) {}
  explicit Scanner(int fd) : fd_(fd) {}

  /// The next word into *w; false at the end of the file or when reading stopped.
  bool Word(std::string* w) {
    if (pushed_) {
      pushed_ = false;
      *w = word_;
      return true;
    }
    int c;
    while ((c = Get()) != EOF && IsBlank(c)) {
    }
    line_of_word_ = line_;
    first_ = at_line_start_;
    if (c == EOF) return false;
    at_line_start_ = false;
    word_.clear();
    cut_ = false;
    for (; c != EOF && !IsBlank(c); c = Get()) {
      if (word_.size() < kWordMax)
        word_ += static_cast<char>(c);
      else
        cut_ = true;
    }
    *w = word_;
    return true;
  }
  /// Gives the last word back to the next call of Word.
  void Unread() { pushed_ = true; }
  /// The rest of the current line, without its outer blanks; empty after a line end.
  std::string RestOfLine() {
    std::string v;
    int c;
    while (!at_line_start_ && (c = Get()) != EOF)
      if (c != '\n' && v.size() < kValueMax) v += static_cast<char>(c);
    size_t b = 0, e = v.size();
    while (b < e && IsBlank(v[b])) ++b;
    while (e > b && IsBlank(v[e - 1])) --e;
    return v.substr(b, e - b);
  }
  long Line() const { return line_of_word_; }
  bool FirstOnLine() const { return first_; }
  bool WordCut() const { return cut_; }

  enum class Stop { kNone, kReadError, kControl, kInterrupted };
  /// Why reading stopped before the end of the file.
  Stop Stopped() const { return stop_; }
  /// errno of a failed read.
  int ReadError() const { return error_; }
  /// The byte that is no text, and the line it stands on.
  int Control() const { return control_; }
  long StopLine() const { return stop_line_; }

  /// Stops reading because Ctrl-C was pressed (work after the reading polls it too).
  bool Interrupt() {
    if (stop_ == Stop::kNone) stop_ = Stop::kInterrupted, stop_line_ = line_;
    return false;
  }

 private:
  int Get() {
    if (pos_ == end_ && !Fill()) {
      at_line_start_ = true;
      return EOF;
    }
    const int c = static_cast<unsigned char>(buf_[pos_++]);
    if (c == '\n') {
      ++line_;
      at_line_start_ = true;
    } else if (ControlCharacter(c)) {
      stop_ = Stop::kControl;
      control_ = c;
      stop_line_ = line_;
      pos_ = end_ = 0;
      at_line_start_ = true;
      return EOF;
    }
    return c;
  }

  // Reads the next block; false at the end of the file or when reading stops.
  bool Fill() {
    if (stop_ != Stop::kNone || eof_) return false;
    for (;;) {
      if (pvc::Interrupted()) return Interrupt();
      ssize_t got;
      if (fd_ >= 0) {
        pollfd p = {fd_, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        if (ready == 0 || (ready < 0 && errno == EINTR)) {
          progress_.Step(static_cast<uint64_t>(line_));  // the time waited shows too
          continue;
        }
        got = read(fd_, buf_, sizeof buf_);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      } else {
        got = static_cast<ssize_t>(fread(buf_, 1, sizeof buf_, f_));
        if (got == 0 && ferror(f_)) got = -1;
      }
      if (got < 0) {
        stop_ = Stop::kReadError;
        error_ = errno ? errno : EIO;
        return false;
      }
      if (got == 0) {
        eof_ = true;
        return false;
      }
      pos_ = 0;
      end_ = static_cast<size_t>(got);
      progress_.Step(static_cast<uint64_t>(line_));
      return true;
    }
  }

  FILE* f_ = nullptr;
  int fd_ = -1;
  char buf_[32768];
  size_t pos_ = 0, end_ = 0;
  bool eof_ = false;
  Stop stop_ = Stop::kNone;
  int error_ = 0, control_ = 0;
  long stop_line_ = 0;
  pvc::ProgressScope progress_{"load", "ligne", 0};
  std::string word_;
  long line_ = 1, line_of_word_ = 1;
  bool at_line_start_ = true, first_ = true, pushed_ = false, cut_ = false;
};

// A decimal number filling the whole word (sign, digits, fraction, exponent).
bool Number(const std::string& w, double* v) {
  if (w.empty()) return false;
  for (char c : w)
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E')) return false;
  char* end = nullptr;
  *v = strtod(w.c_str(), &end);
  return end == w.c_str() + w.size() && std::isfinite(*v);
}

// A number of decimal digits only, at most limit.
bool Whole(const std::string& w, unsigned long long limit, unsigned long long* v) {
  *v = 0;
  for (char c : w) {
    if (c < '0' || c > '9') return false;
    const unsigned d = static_cast<unsigned>(c - '0');
    if (d > limit || *v > (limit - d) / 10) return false;
    *v = *v * 10 + d;
  }
  return !w.empty();
}

// A word that can open the next part of a file: a keyword starts with a capital letter.
bool KeywordLike(const std::string& w) { return !w.empty() && w[0] >= 'A' && w[0] <= 'Z'; }

// A word as a message shows it: at most 32 characters, unprintable ones as '?'.
std::string Shown(const std::string& w) {
  std::string s;
  for (size_t i = 0; i < w.size() && i < 32; ++i) s += (w[i] >= 32 && w[i] < 127) ? w[i] : '?';
  return w.size() > 32 ? s + "..." : s;
}

// s without a ".tsp" suffix.
std::string WithoutSuffix(const std::string& s) {
  return s.size() > 4 && s.compare(s.size() - 4, 4, ".tsp") == 0 ? s.substr(0, s.size() - 4) : s;
}

// First word of a value ("TSP (M.~Hofmeister)" gives "TSP").
std::string FirstWord(const std::string& v) { return v.substr(0, v.find_first_of(" \t")); }

// The messages of an instance file in French, for the shell (Latin-1); the arguments come
// in the same order. A message missing here is given in English.
const char* const kFrench[][2] = {
    {"cannot open (%s)", "impossible d'ouvrir le fichier (%s)"},
    {"cannot read (%s)", "impossible de lire le fichier (%s)"},
    {"read error", "erreur de lecture"},
    {"reading interrupted", "lecture interrompue"},
    {"%s before DIMENSION", "%s avant DIMENSION"},
    {"%s ends after %u of %u nodes: node %u missing", "%s s'arr\352te apr\350s %u sommets sur %u: sommet %u absent"},
    {"%s given twice", "%s donn\351 deux fois"},
    {"%s has more nodes than DIMENSION %u", "%s a plus de sommets que DIMENSION %u"},
    {"%s is not a number: '%s'", "%s n'est pas un nombre: '%s'"},
    {"DIMENSION %llu is too large", "DIMENSION %llu est trop grand"},
    {"DIMENSION %llu: at least %u nodes needed", "DIMENSION %llu: il faut au moins %u sommets"},
    {"DIMENSION %u does not fit in memory (%llu MiB needed)",
     "DIMENSION %u ne tient pas en m\351moire (%llu Mio n\351cessaires)"},
    {"DIMENSION given twice", "DIMENSION donn\351 deux fois"},
    {"DIMENSION is not a whole number: '%s'", "DIMENSION n'est pas un nombre entier: '%s'"},
    {"EDGE_WEIGHT_SECTION before DIMENSION", "EDGE_WEIGHT_SECTION avant DIMENSION"},
    {"EDGE_WEIGHT_SECTION ends after %llu of %llu entries",
     "EDGE_WEIGHT_SECTION s'arr\352te apr\350s %llu valeurs sur %llu"},
    {"EDGE_WEIGHT_SECTION given twice", "EDGE_WEIGHT_SECTION donn\351 deux fois"},
    {"EDGE_WEIGHT_SECTION has more than %llu entries", "EDGE_WEIGHT_SECTION a plus de %llu valeurs"},
    {"EDGE_WEIGHT_SECTION needs EDGE_WEIGHT_TYPE: EXPLICIT before it",
     "EDGE_WEIGHT_SECTION demande EDGE_WEIGHT_TYPE: EXPLICIT avant elle"},
    {"EDGE_WEIGHT_SECTION needs a matrix EDGE_WEIGHT_FORMAT before it",
     "EDGE_WEIGHT_SECTION demande un EDGE_WEIGHT_FORMAT de matrice avant elle"},
    {"asymmetric TYPE ATSP is not supported", "TYPE ATSP asym\351trique non pris en charge"},
    {"asymmetric matrix: entry (%d,%d) is %u, entry (%d,%d) is %u",
     "matrice asym\351trique: la valeur (%d,%d) vaut %u, la valeur (%d,%d) vaut %u"},
    {"control character 0x%02X: not a text file", "caract\350re de contr\364le 0x%02X: ce n'est pas un fichier texte"},
    {"coordinate %s is out of range", "coordonn\351e %s hors limites"},
    {"extra value after node %llu", "valeur en trop apr\350s le sommet %llu"},
    {"negative weight %s", "distance n\351gative %s"},
    {"no DIMENSION", "pas de DIMENSION"},
    {"no EDGE_WEIGHT_SECTION", "pas de EDGE_WEIGHT_SECTION"},
    {"no EDGE_WEIGHT_TYPE", "pas de EDGE_WEIGHT_TYPE"},
    {"no NODE_COORD_SECTION", "pas de NODE_COORD_SECTION"},
    {"node %llu given twice", "sommet %llu donn\351 deux fois"},
    {"node %u: two coordinates expected", "sommet %u: deux coordonn\351es attendues"},
    {"node number %llu not in 1..DIMENSION (%u)", "num\351ro de sommet %llu hors de 1..DIMENSION (%u)"},
    {"nodes %u and %u are %.0f apart, above 2147483647",
     "sommets %u et %u \340 une distance de %.0f, au-dessus de 2147483647"},
    {"nodes start on the line after %s", "les sommets commencent \340 la ligne qui suit %s"},
    {"not a node number: '%s'", "pas un num\351ro de sommet: '%s'"},
    {"not a number: '%s'", "pas un nombre: '%s'"},
    {"not enough memory for %s", "m\351moire insuffisante pour %s"},
    {"not enough memory for DIMENSION %u", "m\351moire insuffisante pour DIMENSION %u"},
    {"unknown TYPE '%s' (only TSP is read)", "TYPE '%s' inconnu (seul TSP est lu)"},
    {"unknown keyword '%s'", "mot-cl\351 '%s' inconnu"},
    {"unsupported DISPLAY_DATA_TYPE '%s'", "DISPLAY_DATA_TYPE '%s' non pris en charge"},
    {"unsupported EDGE_WEIGHT_FORMAT '%s'", "EDGE_WEIGHT_FORMAT '%s' non pris en charge"},
    {"unsupported EDGE_WEIGHT_TYPE '%s'", "EDGE_WEIGHT_TYPE '%s' non pris en charge"},
    {"unsupported NODE_COORD_TYPE '%s'", "NODE_COORD_TYPE '%s' non pris en charge"},
    {"weight %s is above 2147483647", "distance %s au-dessus de 2147483647"},
    {"weight %s is not a whole number", "distance %s non enti\350re"},
};

// fmt in the language asked for.
const char* Translated(const char* fmt, bool french) {
  if (french)
    for (const auto& m : kFrench)
      if (strcmp(m[0], fmt) == 0) return m[1];
  return fmt;
}

// A file being read and the message of its first fault.
class Source {
 public:
  /// in: the open stream or descriptor.
  template <class In>
  Source(In in, const char* label, std::string* error, bool french = false)
      : sc(in), label_(label), error_(error), french_(french) {}

  /// Records "label:line: what" and returns false. When reading stopped, what stopped it
  /// is the fault instead: it is why the data looked wrong.
  bool Fail(long line, const char* fmt, ...) __attribute__((format(printf, 3, 4))) {
    char what[512];
    va_list ap;
    va_start(ap, fmt);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    vsnprintf(what, sizeof what, Translated(fmt, french_), ap);
    va_end(ap);
    switch (sc.Stopped()) {
      case Scanner::Stop::kReadError:
        snprintf(what, sizeof what, Translated("cannot read (%s)", french_), strerror(sc.ReadError()));
        line = 0;
        break;
      case Scanner::Stop::kControl:
        snprintf(what, sizeof what, Translated("control character 0x%02X: not a text file", french_), sc.Control());
        line = sc.StopLine();
        break;
      case Scanner::Stop::kInterrupted:
        snprintf(what, sizeof what, "%s", Translated("reading interrupted", french_));
        line = sc.StopLine();
        break;
      case Scanner::Stop::kNone:
        break;
    }
#pragma GCC diagnostic pop
    *error_ = label_ + (line > 0 ? ":" + std::to_string(line) : "") + ": " + what;
    return false;
  }

  /// Stops at Ctrl-C in the work that follows the reading; false with the message.
  bool Abandon() {
    sc.Interrupt();
    return Fail(0, "reading interrupted");
  }

  /// False, with the reason, when reading stopped before the end of the file.
  bool NotStopped() { return sc.Stopped() == Scanner::Stop::kNone || Fail(0, "read error"); }

  /// Reads a header line whose first word is w: the key into *key and, unless it names
  /// a section, the value after the optional colon into *value.
  void Header(const std::string& w, std::string* key, std::string* value) {
    const size_t colon = w.find(':');
    *key = w.substr(0, colon);
    value->clear();
    if (key->size() > 8 && key->compare(key->size() - 8, 8, "_SECTION") == 0) return;
    if (*key == "EOF") return;
    std::string rest = sc.RestOfLine();
    if (colon != std::string::npos) {
      *value = w.substr(colon + 1);
      if (!value->empty() && !rest.empty()) *value += ' ';
      *value += rest;
    } else {
      size_t b = rest[0] == ':' ? 1 : 0;
      while (b < rest.size() && IsBlank(rest[b])) ++b;
      *value = rest.substr(b);
    }
  }

  /// Reads a DIMENSION value into *n: at least min, at most 2147483647.
  bool Dimension(const std::string& value, unsigned min, unsigned* n) {
    unsigned long long v;
    if (!Whole(value, ~0ull, &v)) return Fail(sc.Line(), "DIMENSION is not a whole number: '%s'", Shown(value).c_str());
    if (v < min) return Fail(sc.Line(), "DIMENSION %llu: at least %u nodes needed", v, min);
    if (v > 2147483647ull) return Fail(sc.Line(), "DIMENSION %llu is too large", v);
    *n = static_cast<unsigned>(v);
    return true;
  }

  Scanner sc;

 private:
  std::string label_;
  std::string* error_;
  bool french_;
};

enum class Kind { kNone, kEuc2d, kCeil2d, kAtt, kGeo, kExplicit };
enum class Format { kNone, kFunction, kFull, kUpperRow, kLowerRow, kUpperDiagRow, kLowerDiagRow };

// The names of the enumerators after kNone, in their order.
const char* const kKinds[] = {"EUC_2D", "CEIL_2D", "ATT", "GEO", "EXPLICIT"};
const char* const kFormats[] = {"FUNCTION",  "FULL_MATRIX",    "UPPER_ROW",
                                "LOWER_ROW", "UPPER_DIAG_ROW", "LOWER_DIAG_ROW"};

// The enumerator named word: its position among names plus one, 0 (kNone) when absent.
template <class E, size_t N>
E Named(const char* const (&names)[N], const std::string& word) {
  for (size_t k = 0; k < N; ++k)
    if (word == names[k]) return static_cast<E>(k + 1);
  return static_cast<E>(0);
}

// Columns lo .. hi of matrix row r in a format, in the order of the file.
void RowBounds(Format f, int r, int n, int* lo, int* hi) {
  *lo = f == Format::kUpperRow ? r + 1 : f == Format::kUpperDiagRow ? r : 0;
  *hi = f == Format::kLowerRow ? r - 1 : f == Format::kLowerDiagRow ? r : n - 1;
}

// Radians of a GEO coordinate DDD.MM: whole degrees, then minutes.
double GeoRadians(double x) {
  const double deg = std::trunc(x);
  return kPi * (deg + 5.0 * (x - deg) / 3.0) / 180.0;
}

// The TSPLIB distance of cities i and j, in double, before the range check.
double Distance(Kind kind, const double* c, unsigned i, unsigned j) {
  const double xd = c[2 * i] - c[2 * j], yd = c[2 * i + 1] - c[2 * j + 1];
  switch (kind) {
    case Kind::kEuc2d:
      return FileDistance(Metric::kEuc2d, xd, yd);
    case Kind::kCeil2d:
      return FileDistance(Metric::kCeil2d, xd, yd);
    case Kind::kAtt:
      return FileDistance(Metric::kAtt, xd, yd);
    default: {
      const double lati = GeoRadians(c[2 * i]), loni = GeoRadians(c[2 * i + 1]);
      const double latj = GeoRadians(c[2 * j]), lonj = GeoRadians(c[2 * j + 1]);
      const double q1 = std::cos(loni - lonj), q2 = std::cos(lati - latj), q3 = std::cos(lati + latj);
      // Rounding can push the cosine a hair beyond 1, where acos has no value.
      const double a = std::fmax(-1.0, std::fmin(1.0, 0.5 * ((1.0 + q1) * q2 - (1.0 - q1) * q3)));
      return std::floor(kEarthRadius * std::acos(a) + 1.0);
    }
  }
}

// Writes the plane coordinates of the points p (x then y per city) into g: shifted so
// that each axis starts at 0, multiplied by ux and uy (weight units per unit of the
// file), rounded; scaled down together when the extent would pass 2147483647. The bound
// is the largest coordinate.
void Place(EuclidianGraphe* g, const double* p, double ux, double uy) {
  const unsigned n = g->GetSommets();
  double lo[2] = {p[0], p[1]}, hi[2] = {p[0], p[1]};
  for (unsigned i = 0; i < 2 * n; ++i) {
    lo[i % 2] = std::fmin(lo[i % 2], p[i]);
    hi[i % 2] = std::fmax(hi[i % 2], p[i]);
  }
  const double extent = std::fmax((hi[0] - lo[0]) * ux, (hi[1] - lo[1]) * uy);
  const double shrink = extent > kMaxWeight ? kMaxWeight / extent : 1.0;
  uint32_t bound = 0;
  for (unsigned i = 0; i < n; ++i) {
    Point2D* c = g->GetCoords(static_cast<int>(i));
    c->x = static_cast<uint32_t>(std::fmin(kMaxWeight, std::floor((p[2 * i] - lo[0]) * ux * shrink + 0.5)));
    c->y = static_cast<uint32_t>(std::fmin(kMaxWeight, std::floor((p[2 * i + 1] - lo[1]) * uy * shrink + 0.5)));
    bound = c->x > bound ? c->x : bound;
    bound = c->y > bound ? c->y : bound;
  }
  g->SetCoordinateBound(bound);
}

// The state of one instance file being read.
class InstanceReader {
 public:
  template <class In>
  InstanceReader(In in, const char* label, std::string* error, const TsplibReading& how)
      : src_(in, label, error, how.french), held_(how.held_bytes) {}

  bool Read(TsplibInstance* out) {
    std::string w, key, value;
    while (src_.sc.Word(&w)) {
      const long line = src_.sc.Line();
      src_.Header(w, &key, &value);
      if (key == "EOF") break;
      if (!Keyword(key, value, line)) return false;
    }
    if (!src_.NotStopped()) return false;
    return Finish(out);
  }

 private:
  bool Keyword(const std::string& key, const std::string& value, long line) {
    if (key == "NAME") {
      name_ = value;
    } else if (key == "COMMENT") {
      // Free text; an optimum quoted here is not trusted.
    } else if (key == "TYPE") {
      const std::string t = FirstWord(value);
      if (t == "ATSP") return src_.Fail(line, "asymmetric TYPE ATSP is not supported");
      if (t != "TSP") return src_.Fail(line, "unknown TYPE '%s' (only TSP is read)", Shown(value).c_str());
    } else if (key == "DIMENSION") {
      return Allocate(value, line);
    } else if (key == "EDGE_WEIGHT_TYPE") {
      kind_ = Named<Kind>(kKinds, value);
      if (kind_ == Kind::kNone) return src_.Fail(line, "unsupported EDGE_WEIGHT_TYPE '%s'", Shown(value).c_str());
    } else if (key == "EDGE_WEIGHT_FORMAT") {
      format_ = Named<Format>(kFormats, value);
      if (format_ == Format::kNone) return src_.Fail(line, "unsupported EDGE_WEIGHT_FORMAT '%s'", Shown(value).c_str());
    } else if (key == "NODE_COORD_TYPE") {
      if (value != "TWOD_COORDS" && value != "NO_COORDS")
        return src_.Fail(line, "unsupported NODE_COORD_TYPE '%s'", Shown(value).c_str());
    } else if (key == "DISPLAY_DATA_TYPE") {
      if (value != "COORD_DISPLAY" && value != "TWOD_DISPLAY" && value != "NO_DISPLAY")
        return src_.Fail(line, "unsupported DISPLAY_DATA_TYPE '%s'", Shown(value).c_str());
    } else if (key == "NODE_COORD_SECTION") {
      coords_line_ = line;
      return Points(key, &coords_, line);
    } else if (key == "DISPLAY_DATA_SECTION") {
      return Points(key, &display_, line);
    } else if (key == "EDGE_WEIGHT_SECTION") {
      return Matrix(line);
    } else {
      return src_.Fail(line, "unknown keyword '%s'", Shown(key).c_str());
    }
    return true;
  }

  bool Allocate(const std::string& value, long line) {
    if (g_) return src_.Fail(line, "DIMENSION given twice");
    if (!src_.Dimension(value, 2, &n_)) return false;
    // The instance without weights, for now: a matrix is allocated only for the kinds
    // that keep one (Triangle), the others compute their weights from the points.
    dimension_line_ = line;
    if (!Fits(Metric::kEuc2d)) return false;
    g_.reset(pvc::New<EuclidianGraphe>(static_cast<int>(n_), Metric::kTruncated));
    if (g_ && !g_->Valid()) g_.reset();
    if (!g_) return src_.Fail(line, "not enough memory for DIMENSION %u", n_);
    return true;
  }

  // Whether an instance under the rule, with the reader's coordinates, display data and
  // node marks, fits in memory; the message on the DIMENSION line when not.
  bool Fits(Metric rule) {
    const unsigned long long n = n_;
    const unsigned long long bytes = InstanceBytes(n, rule) + n * (16 + 16 + 1);
    if (bytes > PhysicalMemory() || held_ > PhysicalMemory() - bytes)
      return src_.Fail(dimension_line_, "DIMENSION %u does not fit in memory (%llu MiB needed)", n_, bytes >> 20);
    return true;
  }

  // Gives the instance its weight triangle (matrix files and GEO).
  bool Triangle() {
    if (!Fits(Metric::kMatrix)) return false;
    if (!g_->StoreWeights()) return src_.Fail(dimension_line_, "not enough memory for DIMENSION %u", n_);
    g_->UseRule(Metric::kMatrix);
    return true;
  }

  // A word that should be a number of the section: false with the message when it is not.
  bool Value(const char* what, unsigned node, long line, double* v) {
    std::string w;
    const bool got = src_.sc.Word(&w);
    if (!got || src_.sc.FirstOnLine()) return src_.Fail(line, "node %u: two coordinates expected", node);
    if (src_.sc.WordCut() || !Number(w, v))
      return src_.Fail(src_.sc.Line(), "%s is not a number: '%s'", what, Shown(w).c_str());
    if (std::fabs(*v) > kMaxCoordinate)
      return src_.Fail(src_.sc.Line(), "coordinate %s is out of range", Shown(w).c_str());
    return true;
  }

  // NODE_COORD_SECTION or DISPLAY_DATA_SECTION: one line "node x y" per node.
  bool Points(const std::string& section, pvc::Array<double>* dest, long line) {
    if (!g_) return src_.Fail(line, "%s before DIMENSION", section.c_str());
    if (*dest) return src_.Fail(line, "%s given twice", section.c_str());
    *dest = pvc::NewArray<double>(2 * size_t{n_});
    pvc::Array<char> seen = pvc::NewArray<char>(n_, true);
    if (!*dest || !seen) return src_.Fail(line, "not enough memory for %s", section.c_str());
    return PointLines(section, dest->get(), seen.get());
  }

  bool PointLines(const std::string& section, double* p, char* seen) {
    std::string w;
    unsigned long long node = 0;
    for (unsigned k = 0; k < n_; ++k) {
      const bool got = src_.sc.Word(&w);
      if (!got || KeywordLike(w)) {
        unsigned missing = 0;
        while (seen[missing]) ++missing;
        return src_.Fail(src_.sc.Line(), "%s ends after %u of %u nodes: node %u missing", section.c_str(), k, n_,
                         missing + 1);
      }
      if (!src_.sc.FirstOnLine() && k == 0)
        return src_.Fail(src_.sc.Line(), "nodes start on the line after %s", section.c_str());
      if (!src_.sc.FirstOnLine()) return src_.Fail(src_.sc.Line(), "extra value after node %llu", node);
      if (!Whole(w, ~0ull, &node) || src_.sc.WordCut())
        return src_.Fail(src_.sc.Line(), "not a node number: '%s'", Shown(w).c_str());
      if (node < 1 || node > n_)
        return src_.Fail(src_.sc.Line(), "node number %llu not in 1..DIMENSION (%u)", node, n_);
      if (seen[node - 1]) return src_.Fail(src_.sc.Line(), "node %llu given twice", node);
      seen[node - 1] = 1;
      const long line = src_.sc.Line();
      if (!Value("x", static_cast<unsigned>(node), line, &p[2 * (node - 1)]) ||
          !Value("y", static_cast<unsigned>(node), line, &p[2 * (node - 1) + 1]))
        return false;
    }
    if (src_.sc.Word(&w)) {
      if (!src_.sc.FirstOnLine()) return src_.Fail(src_.sc.Line(), "extra value after node %llu", node);
      if (!KeywordLike(w)) return src_.Fail(src_.sc.Line(), "%s has more nodes than DIMENSION %u", section.c_str(), n_);
      src_.sc.Unread();
    }
    return true;
  }

  // EDGE_WEIGHT_SECTION: the entries in the order of the format, wrapped anyhow.
  bool Matrix(long line) {
    if (!g_) return src_.Fail(line, "EDGE_WEIGHT_SECTION before DIMENSION");
    if (kind_ != Kind::kExplicit)
      return src_.Fail(line, "EDGE_WEIGHT_SECTION needs EDGE_WEIGHT_TYPE: EXPLICIT before it");
    if (format_ == Format::kNone || format_ == Format::kFunction)
      return src_.Fail(line, "EDGE_WEIGHT_SECTION needs a matrix EDGE_WEIGHT_FORMAT before it");
    if (weights_read_) return src_.Fail(line, "EDGE_WEIGHT_SECTION given twice");
    if (!Triangle()) return false;
    const int n = static_cast<int>(n_);
    unsigned long long total = 0, count = 0;
    for (int r = 0, lo, hi; r < n; ++r) {
      RowBounds(format_, r, n, &lo, &hi);
      total += hi >= lo ? static_cast<unsigned long long>(hi - lo + 1) : 0;
    }
    std::string w;
    double v;
    for (int r = 0, lo, hi; r < n; ++r) {
      RowBounds(format_, r, n, &lo, &hi);
      for (int c = lo; c <= hi; ++c, ++count) {
        const bool got = src_.sc.Word(&w);
        if (!got || KeywordLike(w))
          return src_.Fail(src_.sc.Line(), "EDGE_WEIGHT_SECTION ends after %llu of %llu entries", count, total);
        if (src_.sc.WordCut() || !Number(w, &v))
          return src_.Fail(src_.sc.Line(), "not a number: '%s'", Shown(w).c_str());
        if (r != c && !Weight(w, v, r, c)) return false;  // the diagonal is read, not used
      }
    }
    if (src_.sc.Word(&w)) {
      if (!KeywordLike(w)) return src_.Fail(src_.sc.Line(), "EDGE_WEIGHT_SECTION has more than %llu entries", total);
      src_.sc.Unread();
    }
    weights_read_ = true;
    return true;
  }

  bool Weight(const std::string& w, double v, int r, int c) {
    const long line = src_.sc.Line();
    if (v < 0) return src_.Fail(line, "negative weight %s", Shown(w).c_str());
    if (v > kMaxWeight) return src_.Fail(line, "weight %s is above 2147483647", Shown(w).c_str());
    if (v != std::floor(v)) return src_.Fail(line, "weight %s is not a whole number", Shown(w).c_str());
    const uint32_t weight = static_cast<uint32_t>(v);
    if (format_ == Format::kFull && c < r && g_->Get(r, c) != weight)
      return src_.Fail(line, "asymmetric matrix: entry (%d,%d) is %u, entry (%d,%d) is %u", r + 1, c + 1, weight, c + 1,
                       r + 1, g_->Get(r, c));
    g_->Set(r, c, weight);
    return true;
  }

  // Checks that the data are complete, fills the weights of a coordinate instance and
  // places the cities.
  bool Finish(TsplibInstance* out) {
    const long line = src_.sc.Line();
    if (!g_) return src_.Fail(line, "no DIMENSION");
    if (kind_ == Kind::kNone) return src_.Fail(line, "no EDGE_WEIGHT_TYPE");
    if (kind_ == Kind::kExplicit && !weights_read_) return src_.Fail(line, "no EDGE_WEIGHT_SECTION");
    if (kind_ != Kind::kExplicit && !coords_) return src_.Fail(line, "no NODE_COORD_SECTION");
    pvc::Array<double>& picture = kind_ == Kind::kExplicit && display_ ? display_ : coords_;
    if (kind_ != Kind::kExplicit && !Distances()) return false;
    if (kind_ == Kind::kGeo) {
      // Pictures and plane: (longitude, latitude) in degrees, then kilometres.
      double latmin = 90, latmax = -90;
      for (unsigned i = 0; i < n_; ++i) {
        const double lat = GeoRadians(coords_[2 * i]) * 180 / kPi, lon = GeoRadians(coords_[2 * i + 1]) * 180 / kPi;
        coords_[2 * i] = lon;
        coords_[2 * i + 1] = lat;
        latmin = std::fmin(latmin, lat);
        latmax = std::fmax(latmax, lat);
      }
      const double km = kEarthRadius * kPi / 180;
      Place(g_.get(), coords_.get(), km * std::fabs(std::cos((latmin + latmax) / 2 * kPi / 180)), km);
    } else if (picture) {
      const double unit = kind_ == Kind::kAtt ? 1 / std::sqrt(10.0) : 1;
      Place(g_.get(), picture.get(), unit, unit);
    } else {
      uint32_t top = 0;
      for (unsigned i = 0; i < n_; ++i) {
        if (pvc::Interrupted()) return src_.Abandon();
        *g_->GetCoords(static_cast<int>(i)) = Point2D{0, 0};
        for (unsigned j = i + 1; j < n_; ++j) top = std::max(top, g_->GetDistinct(static_cast<int>(i), static_cast<int>(j)));
      }
      g_->SetCoordinateBound(static_cast<uint32_t>(top / std::sqrt(2.0)));
      g_->SetHasCoordinates(false);
    }
    out->name = WithoutSuffix(name_);
    out->graph = std::move(g_);
    out->picture = std::move(picture);
    return true;
  }

  // The weights of a coordinate file: computed from the file's points for EUC_2D, CEIL_2D
  // and ATT, stored for GEO. Every distance must stay within 2147483647.
  bool Distances() {
    if (kind_ != Kind::kGeo) {
      const Metric rule = kind_ == Kind::kEuc2d ? Metric::kEuc2d : kind_ == Kind::kCeil2d ? Metric::kCeil2d : Metric::kAtt;
      if (!g_->SetFilePoints(rule, coords_.get())) return src_.Fail(dimension_line_, "not enough memory for DIMENSION %u", n_);
      // The diagonal of the box around the points bounds every distance; only when it
      // does not fit are the pairs checked, to name the first one too far apart.
      double lo[2] = {coords_[0], coords_[1]}, hi[2] = {coords_[0], coords_[1]};
      for (unsigned i = 0; i < 2 * n_; ++i) {
        lo[i % 2] = std::fmin(lo[i % 2], coords_[i]);
        hi[i % 2] = std::fmax(hi[i % 2], coords_[i]);
      }
      if (FileDistance(rule, hi[0] - lo[0], hi[1] - lo[1]) > kMaxWeight) {
        for (unsigned i = 0; i + 1 < n_; ++i) {
          if (pvc::Interrupted()) return src_.Abandon();
          for (unsigned j = i + 1; j < n_; ++j) {
            const double d = Distance(kind_, coords_.get(), i, j);
            if (!(d <= kMaxWeight))
              return src_.Fail(coords_line_, "nodes %u and %u are %.0f apart, above 2147483647", i + 1, j + 1, d);
          }
        }
      }
      if (g_->Stored()) g_->FillStoredWeights();
      return true;
    }
    if (!Triangle()) return false;
    for (unsigned i = 0; i + 1 < n_; ++i) {
      if (pvc::Interrupted()) return src_.Abandon();
      for (unsigned j = i + 1; j < n_; ++j) {
        const double d = Distance(kind_, coords_.get(), i, j);
        if (!(d <= kMaxWeight))
          return src_.Fail(coords_line_, "nodes %u and %u are %.0f apart, above 2147483647", i + 1, j + 1, d);
        g_->Set(static_cast<int>(i), static_cast<int>(j), static_cast<uint32_t>(d));
      }
    }
    return true;
  }

  Source src_;
  std::string name_;
  unsigned n_ = 0;
  std::unique_ptr<EuclidianGraphe> g_;
  Kind kind_ = Kind::kNone;
  Format format_ = Format::kNone;
  pvc::Array<double> coords_, display_;
  long coords_line_ = 0, dimension_line_ = 0;
  bool weights_read_ = false;
  unsigned long long held_;
};

// A file opened for reading, closed with the object. Opened without waiting, so that a
// FIFO without writer opens at once (the reading then waits for one, polling Ctrl-C).
// Gives an instance without NAME the base name of its file; true.
bool Named(TsplibInstance* out, const char* label) {
  if (out->name.empty()) {
    const char* slash = strrchr(label, '/');
    out->name = WithoutSuffix(slash ? slash + 1 : label);
  }
  return true;
}

class Input {
 public:
  Input(const char* path, std::string* error, bool french = false)
      : fd_(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0) {
      char what[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
      snprintf(what, sizeof what, Translated("cannot open (%s)", french), strerror(errno));
#pragma GCC diagnostic pop
      *error = std::string(path) + ": " + what;
    }
  }
  ~Input() {
    if (fd_ >= 0) close(fd_);
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool ReadTsplib(FILE* f, const char* label, TsplibInstance* out, std::string* error, const TsplibReading& how) {
  InstanceReader reader(f, label, error, how);
  return reader.Read(out) && Named(out, label);
}

bool ReadTsplib(const char* path, TsplibInstance* out, std::string* error, const TsplibReading& how) {
  const Input in(path, error, how.french);
  if (in.fd() < 0) return false;
  InstanceReader reader(in.fd(), path, error, how);
  return reader.Read(out) && Named(out, path);
}

bool ReadTour(const char* path, std::vector<int>* tour, std::string* error) {
  const Input in(path, error);
  if (in.fd() < 0) return false;
  Source src(in.fd(), path, error);
  std::string w, key, value;
  unsigned n = 0;
  bool ok = true, done = false;
  tour->clear();
  while (ok && !done && src.sc.Word(&w)) {
    const long line = src.sc.Line();
    src.Header(w, &key, &value);
    if (key == "EOF") break;
    if (key == "NAME" || key == "COMMENT") continue;
    if (key == "TYPE" && FirstWord(value) != "TOUR") {
      ok = src.Fail(line, "TYPE '%s' is not TOUR", Shown(value).c_str());
    } else if (key == "DIMENSION") {
      ok = src.Dimension(value, 1, &n);
    } else if (key == "TOUR_SECTION") {
      if (n == 0) {
        ok = src.Fail(line, "TOUR_SECTION before DIMENSION");
        break;
      }
      pvc::Array<char> seen = pvc::NewArray<char>(n, true);
      if (!seen) ok = src.Fail(line, "not enough memory for DIMENSION %u", n);
      unsigned long long city;
      while (ok && src.sc.Word(&w) && w != "-1" && !KeywordLike(w)) {
        if (!Whole(w, n, &city) || city == 0)
          ok = src.Fail(src.sc.Line(), "'%s' is not a city of 1..%u", Shown(w).c_str(), n);
        else if (seen[city - 1]++)
          ok = src.Fail(src.sc.Line(), "city %llu given twice", city);
        else
          tour->push_back(static_cast<int>(city - 1));
      }
      if (ok && tour->size() != n) ok = src.Fail(src.sc.Line(), "tour of %zu cities, DIMENSION %u", tour->size(), n);
      done = true;
    } else if (key != "TYPE") {
      ok = src.Fail(line, "unknown keyword '%s'", Shown(key).c_str());
    }
  }
  if (ok && !done) ok = src.Fail(src.sc.Line(), "no TOUR_SECTION");
  return ok && src.NotStopped();
}

bool ReadOptima(const char* path, std::map<std::string, unsigned long long>* optima, std::string* error) {
  const Input in(path, error);
  if (in.fd() < 0) return false;
  Source src(in.fd(), path, error);
  std::string w, key, value;
  bool ok = true;
  unsigned long long v;
  while (ok && src.sc.Word(&w)) {
    src.Header(w, &key, &value);
    const std::string number = FirstWord(value);
    if (key.empty() || !Whole(number, ~0ull, &v))
      ok = src.Fail(src.sc.Line(), "expected 'name : length', not '%s'", Shown(w).c_str());
    else if (!optima->emplace(key, v).second)
      ok = src.Fail(src.sc.Line(), "%s given twice", Shown(key).c_str());
  }
  return ok && src.NotStopped();
}
