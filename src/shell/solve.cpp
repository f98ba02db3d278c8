// The solve driver and the results commands: list, solve, show, view.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "shell/shell.h"
#include "shell/terminal.h"

unsigned long ElapsedMilliseconds(const timeval& t1, const timeval& t2) {
  // Computed in 64 bits and wrapped to 32, which is the 32-bit result without overflow.
  long long ms = 1000LL * (t2.tv_sec - t1.tv_sec) + (t2.tv_usec - t1.tv_usec) / 1000;
  return static_cast<uint32_t>(ms);
}

int CommandList() {
  printf("\nListe des algorithmes disponibles:\n");
  for (int i = 0; Algorithmes[i].Name != nullptr; ++i)
    printf("%d  %s : %s\n", i, Algorithmes[i].Name, Algorithmes[i].Description);
  return 1;
}

namespace {

// Runs row algoid once: header, timed call, result recorded. The record is allocated
// before the run, so a tour that took long to find is never lost for want of memory.
void RunRow(int algoid, unsigned int options) {
  const PVC_Algo& row = Algorithmes[algoid];
  Result* r = pvc::New<Result>();
  if (r == nullptr) {
    printf("\nerreur: memoire insuffisante\n");
    return;
  }
  const uint32_t word = pvc::OptionsWord(pvc::DrawIntervalOf(CurrentOptions), pvc::OutputOf(CurrentOptions), options);
  printf("\nexecution de %s(%x)\n", row.Name, word);
  fflush(stdout);  // the header shows before a long run, even on a pipe
  pvc::g_interrupt = 0;
  const bool progress = pvc::ProgressWanted(word);
  if (progress) pvc::ShowProgress(pvc::TerminalProgress);
  timeval t1, t2;
  gettimeofday(&t1, nullptr);
  tArretes* ta = row.Execute(CurrentGraphe, word);
  gettimeofday(&t2, nullptr);
  if (progress && pvc::HideProgress()) pvc::EraseTerminalLine();  // what follows starts a clean line
  if (ta == nullptr) {
    delete r;
    if (pvc::Interrupted())
      printf("\nexecution interrompue\n");
    else
      printf("\nune erreur est surevenue\n");
    return;
  }
  r->InitLC();
  r->Algo = row.Name;
  r->Chemin = ta;
  r->Length = CurrentGraphe->Eval(ta);
  r->CalcTime = ElapsedMilliseconds(t1, t2);
  if (Results == nullptr)
    Results = r;
  else
    Results->AddElement(r);
}

}  // namespace

int ScanAlgorithm(const char* args, char* algo, const char** end) {
  int pos = 0;
  if (sscanf(args, "%49s%n", algo, &pos) < 1) return -2;
  // A word longer than the 49 characters held is never a row name or number.
  const bool too_long = args[pos] != '\0' && !isspace(static_cast<unsigned char>(args[pos]));
  while (args[pos] != '\0' && !isspace(static_cast<unsigned char>(args[pos]))) ++pos;
  *end = args + pos;
  return too_long ? -1 : pvc::FindAlgorithm(algo);
}

void PrintAlgorithmNotFound(const char* algo) {
  printf("algorithme %s non trouv\351, taper \"list\" pour avoir la liste des algorithmes\n", algo);
}

int CommandSolve(const char* args) {
  char algo[50];
  const char* rest;
  const int algoid = ScanAlgorithm(args, algo, &rest);
  if (algoid == -2) {
    printf("\nerreur de syntaxe: cette commande prend deux  param\350tres\n");
    return 1;
  }
  unsigned int options = 0;
  sscanf(rest, "%u", &options);

  if (CurrentGraphe == nullptr) {
    printf("\nAucun probl\350me charg\351\n");
    return 1;
  }
  int doall = 0;
  if (strcmp(algo, "H") == 0) doall = 1;
  if (strcmp(algo, "A") == 0) doall = 2;
  if (doall != 0) {
    for (int i = 0; Algorithmes[i].Name != nullptr; ++i) {
      if (doall == 1 && Algorithmes[i].Name[0] == 'A') continue;
      char subbuffer[200];
      snprintf(subbuffer, sizeof subbuffer, "solve %u %u", static_cast<unsigned>(i), options);
      Command(subbuffer);
      if (pvc::Interrupted()) break;  // Ctrl-C ends the whole walk
    }
    return 1;
  }

  if (algoid == -1) {
    PrintAlgorithmNotFound(algo);
    return 1;
  }
  RunRow(algoid, options);
  return 1;
}

int CommandShow() {
  printf("\nId Algorithme         Chemin   Temp\n");
  unsigned id = 0;
  for (ListeChainee* c = Results; c != nullptr; c = c->Next, ++id) {
    Result* r = static_cast<Result*>(c);
    printf("%2u%20s%9llu%9lu\n", id, r->Algo, r->Length, r->CalcTime);
  }
  return 1;
}

int CommandView(const char* args) {
  unsigned int id;
  if (sscanf(args, "%u", &id) != 1) {
    printf("\nerreur de syntaxe: cette commande prend un param\350tre\n");
    return 1;
  }
  ListeChainee* c = Results;
  while (id != 0 && c != nullptr) {
    --id;
    c = c->Next;
  }
  if (c == nullptr) {
    printf("\nerreur: indice de r\351sultat trop grand\n");
    return 1;
  }
  CurrentGraphe->Draw(static_cast<Result*>(c)->Chemin, nullptr);
  return 1;
}
