// gpuscout's texts for arbitrary device records (unterminated names included)
// and arbitrary versions, counts and SM versions.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gpuscout::DeviceRecord record;
  const std::size_t n = size < sizeof record ? size : sizeof record;
  std::memcpy(static_cast<void*>(&record), data, n);
  fuzz::Input in(data + n, size - n);
  const int index = in.raw_int(), driver = in.raw_int(), runtime = in.raw_int(), count = in.raw_int();
  const std::string summary = gpuscout::summary_line(record);
  fuzz::require(summary.find(" mem:") != std::string::npos);
  const std::string report = gpuscout::device_report(index, record, driver, runtime);
  fuzz::require(report.size() >= 2 && report.compare(report.size() - 2, 2, "\r\n") == 0);
  const std::string closing = gpuscout::report_closing(driver, runtime, count);
  fuzz::require(closing.size() > 15 && closing.compare(closing.size() - 15, 15, "Result = PASS\r\n") == 0);
  const gpuscout::CoresLookup cores = gpuscout::cores_per_multiprocessor(record.major, record.minor);
  fuzz::require(cores.cores == 64 || cores.cores == 128 || cores.cores == 192);
  return 0;
}
