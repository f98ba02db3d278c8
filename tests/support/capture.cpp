#include "support/capture.h"

#include <unistd.h>

#include <cstdio>

#include "shell/shell.h"

std::string CaptureStdout(const std::function<void()>& body) {
  fflush(stdout);
  FILE* tmp = tmpfile();
  int saved = dup(1);
  dup2(fileno(tmp), 1);
  body();
  fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::string out;
  rewind(tmp);
  char buf[4096];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, tmp)) > 0) out.append(buf, got);
  fclose(tmp);
  return out;
}

std::string Exec(const std::string& line, int* status) {
  std::string copy = line;
  int r = 0;
  std::string out = CaptureStdout([&] { r = Command(&copy[0]); });
  if (status) *status = r;
  return out;
}
