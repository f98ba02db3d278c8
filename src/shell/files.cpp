// The commands that read and write files: load replaces the instance with one read from a
// TSPLIB file, save writes the best recorded tour as a TSPLIB TOUR file. Both leave the
// instance and the results as they were when they fail.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "graph/tour_output.h"
#include "graph/tsplib.h"
#include "shell/shell.h"
#include "shell/terminal.h"

namespace {

// Reads the file name at the start of args, after blanks: one word, or the text between
// two double quotes. Returns the position after it; null when there is no name.
const char* FileWord(const char* args, std::string* name) {
  while (isspace(static_cast<unsigned char>(*args))) ++args;
  if (*args == '"') {
    const char* close = strchr(args + 1, '"');
    if (close == nullptr || close == args + 1) return nullptr;
    name->assign(args + 1, close);
    return close + 1;
  }
  const char* end = args;
  while (*end != '\0' && !isspace(static_cast<unsigned char>(*end))) ++end;
  if (end == args) return nullptr;
  name->assign(args, end);
  return end;
}

}  // namespace

int CommandLoad(const char* args) {
  std::string path;
  if (FileWord(args, &path) == nullptr) {
    printf("\nerreur de syntaxe: cette commande prend un param\350tre\n");
    return 1;
  }
  // The file is read beside the current instance, which stays until the new one is whole.
  TsplibReading how;
  how.french = true;
  how.held_bytes = CurrentGraphe ? CurrentGraphe->Bytes() : 0;
  TsplibInstance inst;
  std::string error;
  // A long read shows how far it is on a terminal; Ctrl-C stops it.
  const bool progress = pvc::ProgressWanted(CurrentOptions);
  if (progress) pvc::ShowProgress(pvc::TerminalProgress);
  const bool read = ReadTsplib(path.c_str(), &inst, &error, how);
  if (progress && pvc::HideProgress()) pvc::EraseTerminalLine();
  if (!read) {
    if (pvc::Interrupted())
      printf("\nchargement interrompu: instance et r\351sultats inchang\351s\n");
    else
      printf("\nerreur: %s\n", error.c_str());
    return 1;
  }
  EradicateLC(Results);
  Results = nullptr;
  delete CurrentGraphe;
  CurrentGraphe = inst.graph.release();
  CurrentName = inst.name;
  const int n = static_cast<int>(CurrentGraphe->GetSommets());
  printf("%d\n", n);
  if (!CurrentGraphe->HasCoordinates()) {
    printf("Coordonnees des sommets: aucune, le fichier ne donne que les distances\n");
    return 1;
  }
  CurrentGraphe->ListCoordinates(stdout);
  return 1;
}

int CommandSave(const char* args) {
  std::string path;
  const char* rest = FileWord(args, &path);
  if (rest == nullptr) {
    printf("\nerreur de syntaxe: cette commande prend un ou deux param\350tres\n");
    return 1;
  }
  char algo[50];
  const int row = ScanAlgorithm(rest, algo, &rest);
  if (row == -1) {
    PrintAlgorithmNotFound(algo);
    return 1;
  }
  // The shortest result (of the row when one is named); the first among equal lengths.
  const Result* best = nullptr;
  unsigned id = 0, best_id = 0;
  for (ListeChainee* c = Results; c != nullptr; c = c->Next, ++id) {
    const Result* r = static_cast<Result*>(c);
    if (row >= 0 && r->Algo != Algorithmes[row].Name) continue;
    if (best == nullptr || r->Length < best->Length) best = r, best_id = id;
  }
  if (best == nullptr) {
    if (Results == nullptr)
      printf("\nerreur: aucun r\351sultat \340 sauvegarder\n");
    else
      printf("\nerreur: aucun r\351sultat de %s \340 sauvegarder\n", Algorithmes[row].Name);
    return 1;
  }
  pvc::Array<int> tour(best->Chemin->CircuitAsArray());
  if (!tour) {
    printf("\nerreur: memoire insuffisante\n");
    return 1;
  }
  const std::string comment = std::string(best->Algo) + ", length " + std::to_string(best->Length);
  std::string error;
  if (!WriteTourFile(path.c_str(), CurrentName, comment, tour.get(), CurrentGraphe->GetSommets(), &error)) {
    printf("\nerreur: impossible d'\351crire %s (%s)\n", path.c_str(), strerror(errno));
    return 1;
  }
  printf("\nr\351sultat %u (%s, longueur %llu) sauvegard\351 dans %s\n", best_id, best->Algo, best->Length,
         path.c_str());
  return 1;
}
