// Main loop and command interpreter.
//
// Command recognises its keywords in a fixed order: whole-line keywords must equal the
// line; prefix keywords must begin it with their one trailing blank, their arguments being
// scanned from the next character. Every branch but quit returns 1.
#include "shell/shell.h"

#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "algorithms/algorithms.h"
#include "containers/resources.h"
#include "graph/random.h"
#include "shell/terminal.h"
#include "shell/line_input.h"

EuclidianGraphe* CurrentGraphe = nullptr;
Result* Results = nullptr;
std::string CurrentName;
uint32_t CurrentOptions = 0;

namespace {

const char kHelpText[] =
#include "shell/help_text.inc"
    ;

const char kUnknown[] = "\n command non reconnue, taper ? pour avoir la liste des commandes\n";
const char kOneParam[] = "\nerreur de syntaxe: cette commande prend un  param\350tre\n";

bool IsPrefix(const char* line, const char* keyword) {
  return strncasecmp(line, keyword, strlen(keyword)) == 0;
}

int CommandRandom(const char* args) {
  unsigned int s, range, factor;
  if (sscanf(args, "%u%u%u", &s, &range, &factor) != 3) {
    printf("\nerreur de syntaxe: cette commande prend trois param\350tres entiers\n");
    return 1;
  }
  if (s < 2) {
    printf("\nerreur: une instance doit avoir au moins deux sommets\n");
    return 1;
  }
  if (static_cast<unsigned long long>(range) * factor > 2147483647ull) {
    printf("\nerreur: range x facteur ne doit pas depasser 2147483647\n");
    return 1;
  }
  // The new instance is built before the old one and its results are destroyed, so a
  // refusal loses nothing; both are held for a moment. An instance is refused when it
  // and one tour over it would not fit: it could not be solved at all.
  unsigned long long held = CurrentGraphe ? CurrentGraphe->Bytes() : 0;
  EuclidianGraphe* g = nullptr;
  if (s <= 2147483647u && InstanceBytes(s, Metric::kTruncated) + tArretes::TourBytes(s) + held <= PhysicalMemory())
    g = EuclidianGraphe::New(static_cast<int>(s));
  if (!g) {
    printf("\nerreur: memoire insuffisante pour une instance de %u sommets\n", s);
    return 1;
  }
  EradicateLC(Results);
  Results = nullptr;
  delete CurrentGraphe;
  CurrentGraphe = g;
  CurrentName = "random" + std::to_string(s);
  g->Randomise(range, factor);
  return 1;
}

// draw and output: one number sets one field of the options word, the other stays.
int CommandOption(const char* args, bool level) {
  unsigned int value;
  if (sscanf(args, "%u", &value) != 1) {
    printf("%s", kOneParam);
    return 1;
  }
  const unsigned interval = pvc::DrawIntervalOf(CurrentOptions), output = pvc::OutputOf(CurrentOptions);
  CurrentOptions = level ? pvc::OptionsWord(interval, value) : pvc::OptionsWord(value, output);
  return 1;
}

}  // namespace

int Command(char* buffer) {
  if (strcasecmp(buffer, "quit") == 0 || strcasecmp(buffer, "x") == 0) return 0;
  if (strcasecmp(buffer, "help") == 0 || strcasecmp(buffer, "h") == 0 || strcmp(buffer, "?") == 0) {
    fputs(kHelpText, stdout);
    return 1;
  }
  if (IsPrefix(buffer, "random ")) return CommandRandom(buffer + 7);
  if (strcasecmp(buffer, "list") == 0) return CommandList();
  if (IsPrefix(buffer, "solve ")) return CommandSolve(buffer + 6);
  if (IsPrefix(buffer, "draw ")) return CommandOption(buffer + 5, false);
  if (IsPrefix(buffer, "output ")) return CommandOption(buffer + 7, true);
  if (strcasecmp(buffer, "show") == 0) return CommandShow();
  if (IsPrefix(buffer, "view ")) return CommandView(buffer + 5);
  if (IsPrefix(buffer, "load ")) return CommandLoad(buffer + 5);
  if (IsPrefix(buffer, "save ")) return CommandSave(buffer + 5);
  printf("%s", kUnknown);
  return 1;
}

void ResetShell() {
  EradicateLC(Results);
  Results = nullptr;
  delete CurrentGraphe;
  CurrentGraphe = nullptr;
  CurrentName.clear();
  CurrentOptions = 0;
  pvc::SeedRandom(1);  // the stream of a new process
}

namespace {

void OnInterrupt(int) { pvc::g_interrupt = 1; }

}  // namespace

int RunShell() {
  CurrentOptions = 0;
  CurrentGraphe = nullptr;
  Results = nullptr;
  pvc::InstallUtf8Output();

  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnInterrupt;
  sa.sa_flags = SA_RESTART;  // output and sleeps go on; only the prompt's poll sees EINTR
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);

  printf("Taper \"?\" pour avoir la liste des commandes\n");
  static char buffer[kLineMax + 1];
  LineInput input;
  for (;;) {
    pvc::g_interrupt = 0;
    LineStatus st = input.Read(buffer);
    if (st == LineStatus::kEnd) break;
    if (st == LineStatus::kInterrupted) continue;
    if (st == LineStatus::kTooLong) {
      printf("\nerreur: ligne trop longue (999 caracteres au plus)\n");
      continue;
    }
    if (Command(buffer) == 0) break;
  }
  fflush(stdout);
  return 0;
}
