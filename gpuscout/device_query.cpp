#include "device_query.h"

#include <cstring>
#include <string_view>

#include "report.h"

namespace gpuscout {

namespace {

void copy_text(std::string_view text, char* buffer, std::size_t size) {
  if (size == 0) return;
  const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

int device_count(RuntimeLayer& runtime) {
  int count = 0;
  return runtime.get_device_count(&count) == 0 ? count : -1;
}

void write_device_name(RuntimeLayer& runtime, int device, char* buffer, std::size_t size) {
  buffer[0] = '\0';
  DeviceRecord record;
  if (runtime.get_device_record(&record, device) != 0) return;
  record.name[sizeof record.name - 1] = '\0';
  copy_text(record.name, buffer, size);
}

void write_device_summary(RuntimeLayer& runtime, int device, char* buffer, std::size_t size) {
  buffer[0] = '\0';
  DeviceRecord record;
  if (runtime.get_device_record(&record, device) != 0) return;
  record.name[sizeof record.name - 1] = '\0';
  copy_text(summary_line(record), buffer, size);
}

void write_full_report(RuntimeLayer& runtime, std::FILE* out) {
  int driver = 0, version = 0;
  int count = 0;
  if (runtime.get_device_count(&count) != 0) count = 0;  // no driver or no usable device
  for (int i = 0; i < count; ++i) {
    runtime.set_device(i);  // results are not examined: the report always completes
    DeviceRecord record;
    runtime.get_device_record(&record, i);
    record.name[sizeof record.name - 1] = '\0';
    runtime.driver_version(&driver);
    runtime.runtime_version(&version);
    std::fputs(device_report(i, record, driver, version).c_str(), out);
  }
  std::fputs(report_closing(driver, version, count).c_str(), out);
}

}  // namespace gpuscout
