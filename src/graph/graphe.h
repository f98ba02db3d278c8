// The problem instance: a complete undirected graph with one unsigned 32-bit weight per
// pair of vertices (Graphe), and its Euclidean form with integer coordinates and truncated
// distances (EuclidianGraphe), plus the drawing hooks, which are switched off.
#pragma once

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

class Graphe {
 protected:
  /// Strict upper triangle: row i (0 <= i <= Sommets-2) holds Sommets-1-i weights; the
  /// weight of (i, j), i < j, is Poids[i][j-i-1]. The rows share one block.
  uint32_t** Poids;
  uint32_t Sommets;  ///< number of vertices, numbered 0 .. Sommets-1

 public:
  /// Allocates the weights of s vertices, left unset; check Valid() afterwards.
  explicit Graphe(unsigned int s);
  ~Graphe();
  Graphe(const Graphe&) = delete;
  Graphe& operator=(const Graphe&) = delete;

  /// False when an allocation of the constructor failed or s was 0.
  bool Valid() const { return Poids != nullptr; }

  /// Weight of the pair, symmetric; kNoWeight for s1 = s2 or a vertex >= Sommets.
  /// The smaller vertex must not be negative.
  uint32_t Get(int s1, int s2) const {
    OrderPair(s1, s2);
    if (static_cast<uint32_t>(s2) >= Sommets || s1 == s2) return kNoWeight;
    return Poids[s1][s2 - s1 - 1];
  }

  /// Row s of the triangle (0 <= s <= Sommets-2): entry j-s-1 is the weight of (s, j) for
  /// s < j < Sommets. The rows lie one after the other in one block, so for a fixed j the
  /// weights of (i, j), i < j, lie Sommets-2-i entries apart: the hot scans walk a row and
  /// a column with plain pointer arithmetic instead of one Get per pair.
  const uint32_t* Row(int s) const { return Poids[s]; }

  /// Weight of two distinct vertices, both below Sommets, without the checks of Get.
  uint32_t GetDistinct(int s1, int s2) const {
    OrderPair(s1, s2);
    return Poids[s1][s2 - s1 - 1];
  }

  /// Stores the weight of the pair; diagonal and out-of-range pairs are ignored.
  void Set(int s1, int s2, uint32_t p);

  unsigned int GetSommets() const { return Sommets; }

  /// Length of an edge set: the exact sum of its edges' weights (0 when empty).
  unsigned long long Eval(tArretes* a) const;
};

struct Point2D {
  uint32_t x;
  uint32_t y;
};

typedef void (*fDraw)();

class EuclidianGraphe : public Graphe {
  Point2D* Coordinates;  ///< position of each vertex
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

  /// Allocates an instance of Sommets vertices without printing; check Valid().
  explicit EuclidianGraphe(int Sommets);
  ~EuclidianGraphe();

  bool Valid() const { return Graphe::Valid() && Coordinates != nullptr; }

  /// Creates an instance and prints its vertex count ("%d\n"); null, printing nothing,
  /// when it cannot be allocated.
  static EuclidianGraphe* New(int Sommets);

  /// Seeds the generator (graph/random.h) with time(NULL), draws and prints the coordinates, fills every
  /// weight with the truncated Euclidean distance.
  void Randomise(uint32_t Resolution, uint32_t ScaleFactor);
  /// Randomise with a given seed; the coordinates are listed on `listing` when not null.
  void Generate(uint32_t Resolution, uint32_t ScaleFactor, unsigned int seed, FILE* listing);

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

  /// Drawing is disabled: prints one fixed line.
  void Draw(tArretes* a, void (*func)());
  void DoDraw(tArretes* a);
  static void InitDrawing(int pargc, char** argv);
};

/// Bytes an instance of n vertices holds: weights, row pointers and coordinates.
unsigned long long InstanceBytes(unsigned long long n);
/// The machine's physical memory in bytes; all bits set when it cannot be read.
unsigned long long PhysicalMemory();

/// The coordinate Randomise derives from one draw r of the generator (0 <= r < 2^31).
uint32_t RandomCoordinate(uint32_t r, uint32_t Resolution, uint32_t ScaleFactor);

/// The weight Randomise stores for two points.
uint32_t EuclideanWeight(const Point2D& a, const Point2D& b);

extern EuclidianGraphe* DrawMe;
extern tArretes* DrawMeToo;
extern fDraw DrawMeAlso;

void DrawChangeSize(int x, int y);
void DrawDraw();
void DrawTestDraw();
void* glutstart(void* p);
