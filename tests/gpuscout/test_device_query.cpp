// Device count, name, summary and the full report on the simulated device.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/capture.h"
#include "device_query.h"
#include "report.h"
#include "support/simulated_device.h"

namespace {

using namespace gpuscout;
using namespace gpuscout_test;

SimulatedDevice two_devices() {
  SimulatedDevice gpu;
  gpu.devices.resize(2);
  std::strcpy(gpu.devices[0].name, "First GPU");
  gpu.devices[0].major = 8;
  gpu.devices[0].minor = 6;
  std::strcpy(gpu.devices[1].name, "Second GPU");
  gpu.devices[1].major = 10;
  gpu.devices[1].minor = 0;
  return gpu;
}

TEST(DeviceQuery, CountNameAndSummary) {
  SimulatedDevice gpu = two_devices();
  EXPECT_EQ(device_count(gpu), 2);
  char name[1000], summary[5000];
  write_device_name(gpu, 1, name, sizeof name);
  EXPECT_STREQ(name, "Second GPU");
  write_device_name(gpu, 0, name, sizeof name);  // the same buffer now holds the other name
  EXPECT_STREQ(name, "First GPU");
  write_device_summary(gpu, 0, summary, sizeof summary);
  EXPECT_EQ(std::string(summary), summary_line(gpu.devices[0]));
  for (int bad : {-1, 2, 1000}) {
    write_device_name(gpu, bad, name, sizeof name);
    write_device_summary(gpu, bad, summary, sizeof summary);
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(summary, "");
  }
}

TEST(DeviceQuery, WithoutADriver) {
  SimulatedDevice none;
  none.no_driver = true;
  EXPECT_EQ(device_count(none), -1);
  char name[1000] = "old text";
  write_device_name(none, 0, name, sizeof name);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(written_by([&](std::FILE* out) { write_full_report(none, out); }),
            "\r\ndeviceQuery, CUDA Driver = CUDART, CUDA Driver Version = 0.0, CUDA Runtime Version = 0.0, "
            "NumDevs = 0\r\nResult = PASS\r\n");
}

TEST(DeviceQuery, FullReportCoversEveryDeviceInOrder) {
  SimulatedDevice gpu = two_devices();
  const std::string text = written_by([&](std::FILE* out) { write_full_report(gpu, out); });
  EXPECT_EQ(text, device_report(0, gpu.devices[0], 12020, 12000) + device_report(1, gpu.devices[1], 12020, 12000) +
                      report_closing(12020, 12000, 2));
  EXPECT_EQ(gpu.calls, (std::vector<std::string>{"set_device 0", "set_device 1"}));
}

TEST(DeviceQuery, LongNamesAreCutToTheBuffer) {
  SimulatedDevice gpu;
  gpu.devices.resize(1);
  std::memset(gpu.devices[0].name, 'x', sizeof gpu.devices[0].name);  // no terminator from the runtime
  char small[16];
  write_device_name(gpu, 0, small, sizeof small);
  EXPECT_EQ(std::strlen(small), 15u);
  char name[1000];
  write_device_name(gpu, 0, name, sizeof name);
  EXPECT_EQ(std::strlen(name), 255u);
}

}  // namespace
