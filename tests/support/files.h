// Files for the tests: a scratch directory removed with what it holds, whole files read,
// commands run for their output, and the TSPLIB instances shipped in data/tsplib.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "graph/tsplib.h"

/// A new directory under /tmp, removed with its contents at the end of the scope.
class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/pvc-test-XXXXXX";
    if (mkdtemp(name) == nullptr) throw std::runtime_error("no temporary directory");
    path_ = name;
  }
  ~TempDir() { (void)!system(("rm -r " + path_).c_str()); }
  const std::string& Path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

/// Runs a shell command and returns its standard output; *status gets its exit status.
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  FILE* p = popen(command.c_str(), "r");
  std::string out;
  for (int c; (c = fgetc(p)) != EOF;) out += static_cast<char>(c);
  const int s = pclose(p);
  if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

#ifdef PVC_DATA_DIR
/// The path of a shipped file, and a shipped instance by name ("att48"); a file that
/// cannot be read fails the test that asked for it.
inline std::string DataFile(const std::string& file) { return std::string(PVC_DATA_DIR) + "/" + file; }
inline TsplibInstance Shipped(const std::string& name) {
  TsplibInstance inst;
  std::string error;
  if (!ReadTsplib(DataFile(name + ".tsp").c_str(), &inst, &error)) throw std::runtime_error(error);
  return inst;
}
#endif
