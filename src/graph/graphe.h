// The problem instance: a complete undirected graph with one unsigned 32-bit weight per
// pair of vertices (Graphe), and its Euclidean form with integer coordinates and truncated
// distances (EuclidianGraphe), plus the drawing hooks, which hand tours to the window of
// src/view when there is one.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>

class tArretes;

/// Weight answered for a vertex paired with itself or out of range.
constexpr uint32_t kNoWeight = 4294967295u;

/// Puts the smaller vertex of a pair first (signed comparison): every operation on an
/// unordered pair starts with it.
inline void OrderPair(int& s1, int& s2) {
  if (s1 > s2) {
    const int t = s1;
    s1 = s2;
    s2 = t;
  }
}

struct Point2D {
  uint32_t x;
  uint32_t y;
};

/// What the weights of an instance are: given (a stored matrix), or computed from two
/// points by one rule. A computed instance of up to kStoredWeightsLimit vertices also
/// stores its weights, computed once with the same arithmetic: the sweeps of the
/// algorithms then read them in order, which at those sizes is faster than computing.
enum class Metric : uint8_t {
  kMatrix,     ///< the stored triangle only (matrix files, GEO files, hand-made weights)
  kTruncated,  ///< random instances: EuclideanWeight of the integer points
  kEuc2d,      ///< TSPLIB EUC_2D on the file's points: the distance rounded to nearest
  kCeil2d,     ///< TSPLIB CEIL_2D: the distance rounded up
  kAtt,        ///< TSPLIB ATT: the pseudo-Euclidean distance
};

/// The weight a random instance gives two points: float differences of the signed 32-bit
/// differences, their squares summed in double, the root rounded to float, truncated.
inline uint32_t EuclideanWeight(const Point2D& a, const Point2D& b) {
  const float dx = static_cast<float>(static_cast<int32_t>(a.x - b.x));
  const float dy = static_cast<float>(static_cast<int32_t>(a.y - b.y));
  const double s = static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
  const float d = static_cast<float>(std::sqrt(s));
  return static_cast<uint32_t>(d);
}

/// The TSPLIB distance of two points xd, yd apart under a file rule (kEuc2d, kCeil2d,
/// kAtt), in double, before any range check.
inline double FileDistance(Metric m, double xd, double yd) {
  if (m == Metric::kEuc2d) return std::floor(std::sqrt(xd * xd + yd * yd) + 0.5);
  if (m == Metric::kCeil2d) return std::ceil(std::sqrt(xd * xd + yd * yd));
  const double r = std::sqrt((xd * xd + yd * yd) / 10.0);
  const double t = std::floor(r + 0.5);
  return t < r ? t + 1 : t;
}

/// Largest computed instance that also stores its weights (50 MB at this size).
constexpr unsigned kStoredWeightsLimit = 5000;

class Graphe {
 protected:
  /// Strict upper triangle of the stored weights, null when they are computed on demand:
  /// row i (0 <= i <= Sommets-2) holds Sommets-1-i weights; the weight of (i, j), i < j,
  /// is Poids[i][j-i-1]. The rows share one block.
  uint32_t** Poids;
  uint32_t Sommets;  ///< number of vertices, numbered 0 .. Sommets-1
  Metric Rule;       ///< where the weights come from
  const Point2D* Points;  ///< kTruncated: the integer points (owned by the derived class)
  const double* Reals;    ///< file rules: x then y of each vertex (owned by the derived class)

  void FreeTriangle();

  /// The weight of two distinct vertices below Sommets, in either order.
  uint32_t Weight(int s1, int s2) const {
    if (Poids) {
      OrderPair(s1, s2);
      return Poids[s1][s2 - s1 - 1];
    }
    if (Rule == Metric::kTruncated) return EuclideanWeight(Points[s1], Points[s2]);
    return FileWeight(s1, s2);
  }
  /// Weight under a file rule, computed.
  uint32_t FileWeight(int s1, int s2) const;

 public:
  /// A graph of s vertices. The triangle is allocated, left unset, when StoresWeights;
  /// otherwise the weights are computed from the points the derived class provides.
  /// Check Valid().
  explicit Graphe(unsigned int s, Metric rule = Metric::kMatrix);
  /// The form the constructor of an instance of n vertices under a rule takes: stored
  /// (kMatrix, or n <= kStoredWeightsLimit) or computed.
  static bool StoresWeights(unsigned long long n, Metric rule) {
    return rule == Metric::kMatrix || n <= kStoredWeightsLimit;
  }
  ~Graphe();
  Graphe(const Graphe&) = delete;
  Graphe& operator=(const Graphe&) = delete;

  /// False when s was 0 or an allocation of the constructor failed.
  bool Valid() const { return Sommets != 0 && (Poids != nullptr || !StoresWeights(Sommets, Rule)); }

  /// Weight of the pair, symmetric; kNoWeight for s1 = s2 or a vertex >= Sommets.
  /// The smaller vertex must not be negative.
  uint32_t Get(int s1, int s2) const {
    OrderPair(s1, s2);
    if (static_cast<uint32_t>(s2) >= Sommets || s1 == s2) return kNoWeight;
    return Weight(s1, s2);
  }

  /// Weight of two distinct vertices, both below Sommets, without the checks of Get.
  uint32_t GetDistinct(int s1, int s2) const { return Weight(s1, s2); }

  /// The weights from u to the vertices v[0 .. count-1] (each distinct from u and below
  /// Sommets) into w[0 .. count-1], in one pass over the points: the hot sweeps (the
  /// nearest neighbour, Prim's keys, the insertion's places) read their weights this way.
  void Weights(int u, const uint32_t* v, unsigned count, uint32_t* w) const;

  /// Allocates the triangle, its weights left unset (true when it is there already);
  /// weights are read from it from then on. False, nothing changed, when it fails.
  bool StoreWeights();
  /// Fills the triangle with the weights of the rule, computed (the points must be set).
  void FillStoredWeights();
  /// Frees the triangle of an instance whose rule computes its weights (not kMatrix):
  /// every weight is computed on request from then on.
  void ComputeWeights();
  /// Sets the rule of the weights (the points it reads must be set first).
  void UseRule(Metric rule) { Rule = rule; }
  /// True when the weights are read from the triangle.
  bool Stored() const { return Poids != nullptr; }

  /// Order keys from u to the vertices v[0 .. count-1] into key[0 .. count-1]: the weight
  /// is a non-decreasing function of the key (the double sum of squares, before the root;
  /// the weight itself for a matrix), and a key costs no root.
  void Keys(int u, const uint32_t* v, unsigned count, double* key) const;
  /// A key from which on every weight is above w: a pair whose key reaches it cannot weigh
  /// w or less.
  double KeyAbove(uint32_t w) const { return Poids ? static_cast<double>(w) + 1 : RuleKeyAbove(Rule, w); }
  /// KeyAbove for the keys computed from the points under a rule other than kMatrix.
  static double RuleKeyAbove(Metric rule, uint32_t w) {
    // Beyond (w + 1)(1 + 2^-20) + 1 every rounding of the root, the float one included,
    // stays above w + 1.
    const double m = (static_cast<double>(w) + 1) * (1 + 0x1p-20) + 1;
    return rule == Metric::kAtt ? 10 * m * m : m * m;
  }

  /// Stores the weight of the pair in the triangle; diagonal and out-of-range pairs, and
  /// every pair of a graph without triangle, are ignored.
  void Set(int s1, int s2, uint32_t p);

  unsigned int GetSommets() const { return Sommets; }
  Metric GetMetric() const { return Rule; }

  /// Length of an edge set: the exact sum of its edges' weights (0 when empty).
  unsigned long long Eval(tArretes* a) const;
};

typedef void (*fDraw)();

class EuclidianGraphe : public Graphe {
  Point2D* Coordinates;  ///< position of each vertex
  double* FilePoints;    ///< file rules: the file's points, x then y, which the weights read
  uint32_t WorldSize;    ///< side of the square world, Resolution x ScaleFactor
  [[maybe_unused]] uint32_t DeltaCoords[3][2];  // a cache nothing fills or reads yet
  bool DeltaCoordsAvailable;
  uint32_t MaxCoord;  ///< coordinate bound, Resolution x ScaleFactor
  bool Placed;        ///< false when the cities have no places (a matrix file without display data)

  static bool DrawingReady;

 public:
  static int WindowId;
  static uint32_t WindowX;
  static uint32_t WindowY;

  /// Allocates an instance of Sommets vertices without printing; check Valid(). A kMatrix
  /// instance holds the weight triangle; a kTruncated one computes every weight from its
  /// coordinates; a file rule computes them from the points given to SetFilePoints.
  explicit EuclidianGraphe(int Sommets, Metric rule = Metric::kMatrix);
  ~EuclidianGraphe();

  /// Makes an instance without triangle compute its weights by a file rule from a copy of
  /// the file's points (x then y per vertex). False when the copy cannot be allocated.
  bool SetFilePoints(Metric rule, const double* xy);
  /// The file's points of a file rule (x then y per vertex), null otherwise.
  const double* GetFilePoints() const { return FilePoints; }

  /// Bytes the instance holds: weights, row pointers and points.
  unsigned long long Bytes() const;

  bool Valid() const { return Graphe::Valid() && Coordinates != nullptr; }

  /// Creates a kTruncated instance and prints its vertex count ("%d\n"); null, printing
  /// nothing, when it cannot be allocated.
  static EuclidianGraphe* New(int Sommets);

  /// Seeds the generator (graph/random.h) with time(NULL), draws and prints the
  /// coordinates; an instance that stores its weights also fills them.
  void Randomise(uint32_t Resolution, uint32_t ScaleFactor);
  /// Randomise with a given seed; the coordinates are listed on `listing` when not null.
  void Generate(uint32_t Resolution, uint32_t ScaleFactor, unsigned int seed, FILE* listing);
  /// Prints "Coordonnees des sommets:" and one line "%d: %u,%u" per vertex on out. Ctrl-C
  /// ends the listing at the next line with one line saying so; the instance is not
  /// touched. False when it was cut.
  bool ListCoordinates(FILE* out) const;

  uint32_t GetMaxCoord() const { return MaxCoord; }
  /// For an instance read from a file, whose coordinates were written through GetCoords:
  /// sets the coordinate bound (MaxCoord and WorldSize), which the annealing and the
  /// elastic net read as the side of the square holding every city.
  void SetCoordinateBound(uint32_t bound) {
    MaxCoord = bound;
    WorldSize = bound;
    DeltaCoordsAvailable = false;
  }
  /// False for an instance read from a file without coordinates or display data: every
  /// city then sits at (0, 0), so it can be neither drawn nor run as an elastic net.
  bool HasCoordinates() const { return Placed; }
  void SetHasCoordinates(bool placed) { Placed = placed; }
  /// Address of vertex p's point; p is not checked.
  Point2D* GetCoords(int p) { return &Coordinates[p]; }
  const Point2D* GetCoords(int p) const { return &Coordinates[p]; }

  /// Shows the edges of a (may be null) over the cities in the window, with what func (may
  /// be null) adds to the frame; returns at once. Without a window prints "Drawing
  /// disabled in this special edition\n"; for cities without places, a French line.
  void Draw(tArretes* a, void (*func)());
  /// Composes the frame of a and DrawMeAlso and hands it to the window.
  void DoDraw(tArretes* a);
  static void InitDrawing(int pargc, char** argv);
};

/// Bytes an instance of n vertices under a rule holds: weights and row pointers for
/// kMatrix, the file's points for a file rule, and the coordinates.
unsigned long long InstanceBytes(unsigned long long n, Metric rule);
/// The machine's physical memory in bytes; all bits set when it cannot be read.
unsigned long long PhysicalMemory();

/// The coordinate Randomise derives from one draw r of the generator (0 <= r < 2^31).
uint32_t RandomCoordinate(uint32_t r, uint32_t Resolution, uint32_t ScaleFactor);


extern EuclidianGraphe* DrawMe;
extern tArretes* DrawMeToo;
extern fDraw DrawMeAlso;

void DrawChangeSize(int x, int y);
void DrawDraw();
void DrawTestDraw();
void* glutstart(void* p);
