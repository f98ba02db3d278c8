// Replays fuzz inputs (files or directories of files) through the fuzz target, so that
// every input ever found stays a regression test without the fuzzing engine.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
int Replay(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  if (S_ISDIR(st.st_mode)) {
    int failures = 0;
    DIR* d = opendir(path.c_str());
    std::vector<std::string> names;
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
    for (const auto& n : names) failures += Replay(path + "/" + n);
    return failures;
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  fprintf(stderr, "replay %s (%zu bytes)\n", path.c_str(), bytes.size());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  int failures = 0;
  for (int i = 1; i < argc; ++i) failures += Replay(argv[i]);
  return failures == 0 ? 0 : 1;
}
