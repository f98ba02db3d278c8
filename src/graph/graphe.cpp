#include "graph/graphe.h"

#include <sys/mman.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "containers/resources.h"
#include "graph/arretes.h"
#include "graph/random.h"
#include "view/frame.h"

namespace {

// Asks the kernel to back a large weight block with huge pages where it can: the scans
// that read a column of the triangle touch one row, hence one page, per weight, and with
// ordinary pages a large instance spends most of that time in TLB misses. Only advice:
// nothing changes when the kernel declines.
void AdviseHugePages(void* block, size_t bytes) {
  const size_t page = 4096;
  if (bytes < (size_t{4} << 20)) return;
  const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace

Graphe::Graphe(unsigned int s, Metric rule)
    : Poids(nullptr), Sommets(s), Rule(rule), Points(nullptr), Reals(nullptr) {
  if (StoresWeights(s, rule)) StoreWeights();
}

bool Graphe::StoreWeights() {
  const unsigned s = Sommets;
  if (Poids || s == 0) return Poids != nullptr;
  size_t rows = s - 1;
  size_t count = static_cast<size_t>(s) * (s - 1) / 2;
  uint32_t** p = static_cast<uint32_t**>(pvc::Malloc((rows ? rows : 1) * sizeof(uint32_t*)));
  if (!p) return false;
  uint32_t* block = static_cast<uint32_t*>(pvc::Malloc((count ? count : 1) * sizeof(uint32_t)));
  if (!block) {
    free(p);
    return false;
  }
  AdviseHugePages(block, count * sizeof(uint32_t));
  size_t offset = 0;
  for (size_t i = 0; i < rows; ++i) {
    p[i] = block + offset;
    offset += rows - i;
  }
  if (rows == 0) p[0] = block;
  Poids = p;
  return true;
}

void Graphe::FillStoredWeights() {
  uint32_t** const p = Poids;
  Poids = nullptr;  // computed while the triangle is filled
  for (uint32_t i = 0; i + 1 < Sommets; ++i)
    for (uint32_t j = i + 1; j < Sommets; ++j) p[i][j - i - 1] = Weight(static_cast<int>(i), static_cast<int>(j));
  Poids = p;
}

Graphe::~Graphe() { FreeTriangle(); }

void Graphe::ComputeWeights() {
  if (Rule != Metric::kMatrix) FreeTriangle();
}

void Graphe::FreeTriangle() {
  if (Poids) {
    free(Poids[0]);
    free(Poids);
    Poids = nullptr;
  }
}

uint32_t Graphe::FileWeight(int s1, int s2) const {
  OrderPair(s1, s2);
  return static_cast<uint32_t>(FileDistance(Rule, Reals[2 * s1] - Reals[2 * s2], Reals[2 * s1 + 1] - Reals[2 * s2 + 1]));
}

void Graphe::Set(int s1, int s2, uint32_t p) {
  OrderPair(s1, s2);
  if (!Poids || static_cast<uint32_t>(s2) >= Sommets || s1 == s2) return;
  Poids[s1][s2 - s1 - 1] = p;
}

namespace {

// The sweeps of Weights, one loop per rule with the rule fixed, so that the loop body is
// the bare arithmetic over contiguous points.
void TruncatedWeights(const Point2D* pts, int u, const uint32_t* v, unsigned count, uint32_t* w) {
  const Point2D p = pts[u];
  unsigned k = 0;
#if defined(__SSE2__)
  // Two weights at a time, with the very roundings of EuclideanWeight: the conversions and
  // the root of the vector instructions are the IEEE operations of the scalar ones.
  const __m128i pu = _mm_set_epi32(static_cast<int>(p.y), static_cast<int>(p.x), static_cast<int>(p.y),
                                   static_cast<int>(p.x));
  const __m128 two31 = _mm_set1_ps(2147483648.0f);
  for (; k + 2 <= count; k += 2) {
    const Point2D a = pts[v[k]], b = pts[v[k + 1]];
    const __m128i d = _mm_sub_epi32(pu, _mm_set_epi32(static_cast<int>(b.y), static_cast<int>(b.x),
                                                      static_cast<int>(a.y), static_cast<int>(a.x)));
    const __m128 f = _mm_cvtepi32_ps(d);  // dx, dy of a, then of b
    __m128d lo = _mm_cvtps_pd(f), hi = _mm_cvtps_pd(_mm_movehl_ps(f, f));
    lo = _mm_mul_pd(lo, lo);
    hi = _mm_mul_pd(hi, hi);
    const __m128 r = _mm_cvtpd_ps(_mm_sqrt_pd(_mm_add_pd(_mm_unpacklo_pd(lo, hi), _mm_unpackhi_pd(lo, hi))));
    // Truncation to unsigned 32 bits: roots of 2^31 and more lose 2^31 (exactly) first.
    const __m128 big = _mm_cmpge_ps(r, two31);
    const __m128i t = _mm_cvttps_epi32(_mm_sub_ps(r, _mm_and_ps(big, two31)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(w + k), _mm_xor_si128(t, _mm_slli_epi32(_mm_castps_si128(big), 31)));
  }
#endif
  for (; k < count; ++k) w[k] = EuclideanWeight(p, pts[v[k]]);
}

template <Metric kRule>
void FileWeights(const double* xy, int u, const uint32_t* v, unsigned count, uint32_t* w) {
  const double x = xy[2 * u], y = xy[2 * u + 1];
  for (unsigned k = 0; k < count; ++k) {
    // The smaller vertex first, as the literal method forms the differences.
    const unsigned j = v[k];
    const double xd = static_cast<unsigned>(u) < j ? x - xy[2 * j] : xy[2 * j] - x;
    const double yd = static_cast<unsigned>(u) < j ? y - xy[2 * j + 1] : xy[2 * j + 1] - y;
    w[k] = static_cast<uint32_t>(FileDistance(kRule, xd, yd));
  }
}

}  // namespace

// The stored weights from u to v[0 .. count-1]: those of the vertices below u from u's
// column, the others from its row, read in order when v ascends.
template <class T>
static void StoredWeights(uint32_t* const* Poids, unsigned n, unsigned u, const uint32_t* v, unsigned count, T* w) {
  unsigned k = 0;
  for (; k < count && v[k] < u; ++k) w[k] = Poids[v[k]][u - v[k] - 1];
  const uint32_t* row = u + 1 < n ? Poids[u] : nullptr;  // the last vertex has no row
  for (; k < count; ++k) {
    const unsigned j = v[k];
    w[k] = j > u ? row[j - u - 1] : Poids[j][u - j - 1];
  }
}

void Graphe::Keys(int u, const uint32_t* v, unsigned count, double* key) const {
  if (Poids) {
    StoredWeights(Poids, Sommets, static_cast<unsigned>(u), v, count, key);
  } else if (Rule == Metric::kTruncated) {
    const Point2D p = Points[u];
    for (unsigned k = 0; k < count; ++k) {
      const Point2D q = Points[v[k]];
      const double dx = static_cast<float>(static_cast<int32_t>(p.x - q.x));
      const double dy = static_cast<float>(static_cast<int32_t>(p.y - q.y));
      key[k] = dx * dx + dy * dy;
    }
  } else {
    const double x = Reals[2 * u], y = Reals[2 * u + 1];
    for (unsigned k = 0; k < count; ++k) {
      const double dx = x - Reals[2 * v[k]], dy = y - Reals[2 * v[k] + 1];
      key[k] = dx * dx + dy * dy;
    }
  }
}

void Graphe::Weights(int u, const uint32_t* v, unsigned count, uint32_t* w) const {
  if (Poids) return StoredWeights(Poids, Sommets, static_cast<unsigned>(u), v, count, w);
  switch (Rule) {
    case Metric::kTruncated:
      TruncatedWeights(Points, u, v, count, w);
      break;
    case Metric::kEuc2d:
      FileWeights<Metric::kEuc2d>(Reals, u, v, count, w);
      break;
    case Metric::kCeil2d:
      FileWeights<Metric::kCeil2d>(Reals, u, v, count, w);
      break;
    case Metric::kAtt:
      FileWeights<Metric::kAtt>(Reals, u, v, count, w);
      break;
    case Metric::kMatrix:
      for (unsigned k = 0; k < count; ++k) w[k] = Weight(u, static_cast<int>(v[k]));
      break;
  }
}

unsigned long long Graphe::Eval(tArretes* a) const {
  unsigned long long sum = 0;
  tArrete* cursor = nullptr;
  while (a->Get(&cursor)) sum += Get(cursor->s1, cursor->s2);
  return sum;
}

bool EuclidianGraphe::DrawingReady = false;
int EuclidianGraphe::WindowId = 0;
uint32_t EuclidianGraphe::WindowX = 0;
uint32_t EuclidianGraphe::WindowY = 0;

EuclidianGraphe* DrawMe = nullptr;
tArretes* DrawMeToo = nullptr;
fDraw DrawMeAlso = nullptr;

EuclidianGraphe::EuclidianGraphe(int n, Metric rule)
    : Graphe(static_cast<unsigned int>(n), rule),
      Coordinates(nullptr),
      FilePoints(nullptr),
      WorldSize(0),
      DeltaCoords(),
      DeltaCoordsAvailable(false),
      MaxCoord(0),
      Placed(true) {
  DrawingReady = false;
  if (Graphe::Valid()) Coordinates = static_cast<Point2D*>(pvc::Malloc(sizeof(Point2D) * Sommets));
  Points = Coordinates;
}

EuclidianGraphe::~EuclidianGraphe() {
  free(Coordinates);
  free(FilePoints);
}

bool EuclidianGraphe::SetFilePoints(Metric rule, const double* xy) {
  if (!FilePoints) FilePoints = static_cast<double*>(pvc::Malloc(sizeof(double) * 2 * Sommets));
  if (!FilePoints) return false;
  for (size_t i = 0; i < size_t{2} * Sommets; ++i) FilePoints[i] = xy[i];
  Reals = FilePoints;
  UseRule(rule);
  return true;
}

unsigned long long EuclidianGraphe::Bytes() const {
  const unsigned long long n = Sommets;
  return n * sizeof(Point2D) + (Poids ? n * (n - 1) / 2 * 4 + (n - 1) * sizeof(void*) : 0) +
         (FilePoints ? n * 2 * sizeof(double) : 0);
}

EuclidianGraphe* EuclidianGraphe::New(int n) {
  EuclidianGraphe* g = pvc::New<EuclidianGraphe>(n, Metric::kTruncated);
  if (g && !g->Valid()) {
    delete g;
    g = nullptr;
  }
  if (g) printf("%d\n", n);
  return g;
}

unsigned long long InstanceBytes(unsigned long long n, Metric rule) {
  unsigned long long bytes = n * sizeof(Point2D);
  if (Graphe::StoresWeights(n, rule)) bytes += n * (n - 1) / 2 * 4 + (n - 1) * sizeof(void*);
  if (rule != Metric::kMatrix && rule != Metric::kTruncated) bytes += n * 2 * sizeof(double);
  return bytes;
}

unsigned long long PhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  return pages > 0 && size > 0 ? static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(size) : ~0ull;
}

uint32_t RandomCoordinate(uint32_t r, uint32_t Resolution, uint32_t ScaleFactor) {
  // r x Resolution < 2^63 is exact in 64 bits; one rounding to float, then an exact
  // scaling by 2^-31.
  float t = static_cast<float>(static_cast<int64_t>(static_cast<uint64_t>(r) * Resolution));
  t = std::ldexp(t, -31);
  // Truncation toward zero to a signed 32-bit value; going through 64 bits keeps values
  // of 2^31 and more defined (they wrap as the 32-bit conversion of the machine does).
  int32_t k = static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(t)));
  return static_cast<uint32_t>(k) * ScaleFactor;
}

void EuclidianGraphe::Randomise(uint32_t Resolution, uint32_t ScaleFactor) {
  Generate(Resolution, ScaleFactor, static_cast<unsigned int>(time(nullptr)), stdout);
}

void EuclidianGraphe::Generate(uint32_t Resolution, uint32_t ScaleFactor, unsigned int seed, FILE* listing) {
  MaxCoord = Resolution * ScaleFactor;
  DeltaCoordsAvailable = false;
  WorldSize = Resolution * ScaleFactor;
  pvc::SeedRandom(seed);
  for (uint32_t i = 0; i < Sommets; ++i) {
    uint32_t rx = static_cast<uint32_t>(pvc::Random());
    uint32_t ry = static_cast<uint32_t>(pvc::Random());
    Coordinates[i].x = RandomCoordinate(rx, Resolution, ScaleFactor);
    Coordinates[i].y = RandomCoordinate(ry, Resolution, ScaleFactor);
  }
  if (listing) ListCoordinates(listing);
  if (!Poids) return;  // the weights are computed from the points
  for (uint32_t i = 0; i + 1 < Sommets; ++i) {
    uint32_t* row = Poids[i];
    const Point2D pi = Coordinates[i];
    for (uint32_t j = i + 1; j < Sommets; ++j) row[j - i - 1] = EuclideanWeight(pi, Coordinates[j]);
  }
}

bool EuclidianGraphe::ListCoordinates(FILE* out) const {
  fprintf(out, "Coordonnees des sommets:\n");
  for (uint32_t i = 0; i < Sommets; ++i) {
    if (pvc::Interrupted()) {
      fprintf(out, "\nliste interrompue: %u sommets sur %u affich\351s, l'instance est compl\350te\n", i, Sommets);
      return false;
    }
    fprintf(out, "%d: %u,%u\n", static_cast<int>(i), Coordinates[i].x, Coordinates[i].y);
  }
  return true;
}

void EuclidianGraphe::Draw(tArretes* a, void (*func)()) {
  if (!pvc::view::Open()) {
    printf("Drawing disabled in this special edition\n");
    return;
  }
  if (!Placed) {
    printf("pas de coordonn\351es: cette instance ne peut pas \352tre dessin\351e\n");
    return;
  }
  DrawMe = this;
  DrawMeToo = a;
  DrawMeAlso = func;
  DrawDraw();
  DrawMeToo = nullptr;
  DrawMeAlso = nullptr;
}

void EuclidianGraphe::DoDraw(tArretes* a) {
  if (pvc::view::Compose(*this, a, DrawMeAlso)) pvc::view::Publish();
}

void EuclidianGraphe::InitDrawing(int, char**) {}

void DrawChangeSize(int x, int y) {
  EuclidianGraphe::WindowX = static_cast<uint32_t>(x);
  EuclidianGraphe::WindowY = static_cast<uint32_t>(y);
}

void DrawDraw() {
  if (DrawMe != nullptr) {
    DrawMe->DoDraw(DrawMeToo);
    DrawMe = nullptr;
  }
}

void DrawTestDraw() {
  if (DrawMe != nullptr) DrawDraw();
}

void* glutstart(void*) { return nullptr; }
