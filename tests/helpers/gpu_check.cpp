// Checks the real libgpuscout on a machine with an NVIDIA GPU: the compute
// tests' GPU cases and a plausible report. Prints one line per check; exit
// status 0 only when all pass. Run by tools/gpu-check.sh.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gpuscout.h"

namespace {

int failures = 0;

void check(bool ok, const std::string& what) {
  std::printf("%s  %s\n", ok ? "pass" : "FAIL", what.c_str());
  std::fflush(stdout);
  failures += !ok;
}

// Runs fn with standard error or output captured into a string.
template <class Fn>
std::string captured(int fd, Fn&& fn) {
  std::fflush(nullptr);
  char path[] = "/tmp/gpu_check_XXXXXX";
  const int tmp = mkstemp(path);
  const int saved = dup(fd);
  dup2(tmp, fd);
  fn();
  std::fflush(nullptr);
  dup2(saved, fd);
  close(saved);
  std::string text;
  char chunk[4096];
  lseek(tmp, 0, SEEK_SET);
  for (ssize_t n; (n = read(tmp, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
  close(tmp);
  unlink(path);
  return text;
}

}  // namespace

int main() {
  const int count = cuda_devicecount();
  check(count >= 1, "device count " + std::to_string(count) + " >= 1");
  if (count < 1) return 1;
  check(std::strlen(cuda_devicename(0)) > 0, std::string("device 0 name \"") + cuda_devicename(0) + "\"");
  check(std::strlen(cuda_deviceprops(0)) > 0, std::string("device 0 summary \"") + cuda_deviceprops(0) + "\"");
  const std::string report = captured(1, [] { cuda_devicepropsbig(); });
  const std::string tail = "Result = PASS\r\n";
  check(report.size() > tail.size() && report.compare(report.size() - tail.size(), tail.size(), tail) == 0,
        "report ends in \"Result = PASS\\r\\n\"");
  check(report.find("NumDevs = " + std::to_string(count) + "\r\n") != std::string::npos, "report counts the devices");

  int result = -1;
  std::string err = captured(2, [&] { result = testcuda(1, 1, 0); });
  check(result == 1 && err.empty(), "testcuda(1, 1, 0) returns 1 and writes nothing");
  err = captured(2, [&] { result = testcuda(1, 4096, 0); });
  check(result == 0 && err.rfind("addKernel launch failed: ", 0) == 0, "testcuda with 4096 threads fails at launch");
  err = captured(2, [&] { result = testcuda(0, 1, 0); });
  check(result == 0 && err.rfind("addKernel launch failed: ", 0) == 0, "testcuda(0, 1, 0) fails at launch");

  std::vector<int> a(1024), b(1024, 1), c(1024, 0);
  for (int i = 0; i < 1024; ++i) a[i] = i;
  result = testcudaaddsquare(a.data(), b.data(), c.data(), 1024, 0);
  bool ok = result == 0;
  for (int i = 0; i < 1024; ++i) ok = ok && c[i] == i * i + 1;
  check(ok, "testcudaaddsquare size 1024: c[i] = i*i + 1");
  std::vector<int> big(512, 46341), zero(512, 0), out(512, 0);
  result = testcudaaddsquare(big.data(), zero.data(), out.data(), 512, 0);
  check(result == 0 && out[0] == -2147479015 && out[511] == -2147479015, "testcudaaddsquare wraps 46341^2");
  err = captured(2, [&] { result = testcudaaddsquare(a.data(), b.data(), c.data(), 511, 0); });
  check(result == 1 && err.rfind("addKernel launch failed: ", 0) == 0 &&
            err.size() > 19 && err.compare(err.size() - 19, 19, "addWithCuda failed!") == 0,
        "testcudaaddsquare size 511 fails at launch");

  const int n = 512;
  std::vector<int> identity(n * n, 0), m(n * n), product(n * n, -1);
  for (int i = 0; i < n; ++i) identity[i * n + i] = 1;
  for (int i = 0; i < n * n; ++i) m[i] = i * 13 - 7;
  result = cudaMM(identity.data(), m.data(), product.data(), n, n, n, 0);
  check(result == 0 && product == m, "cudaMM identity (512) times B gives B");
  std::vector<int> A(512 * 2), B = {1, -2, 3, 4, 5, 2147483647}, C(512 * 3, 0);
  for (int i = 0; i < 1024; ++i) A[i] = i % 9 - 4;
  result = cudaMM(A.data(), B.data(), C.data(), 512, 2, 3, 0);
  ok = result == 0;
  for (int i = 0; i < 512; ++i)
    for (int j = 0; j < 3; ++j) {
      const long long exact = 1LL * A[i * 2] * B[j] + 1LL * A[i * 2 + 1] * B[3 + j];
      ok = ok && C[i * 3 + j] == static_cast<int>(static_cast<unsigned>(exact));
    }
  check(ok, "cudaMM 512x2 by 2x3");
  std::printf("%d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
