// The probe's texts as pure functions of a device record: the one-line summary,
// the report lines of one device, the closing lines, and the cores lookup.
#pragma once

#include <string>

#include "device_record.h"

namespace gpuscout {

struct CoresLookup {
  int cores;   // CUDA cores per multiprocessor
  bool known;  // false: the SM version is not in the table and 128 is assumed
};

CoresLookup cores_per_multiprocessor(int major, int minor);

// The line written when the SM version is not in the table.
std::string unknown_sm_line(int major, int minor);

// "<name> mem:<MB>MB multiProcessorCount:... clockspeed:<MHz>Mhz", no line end.
std::string summary_line(const DeviceRecord& device);

// Everything the full report writes for device `index`, from "\r\nDevice ..."
// to the compute-mode line; every line ends in CR LF.
std::string device_report(int index, const DeviceRecord& device, int driver_version, int runtime_version);

// After the devices: "\r\n", the deviceQuery line and "Result = PASS\r\n".
std::string report_closing(int driver_version, int runtime_version, int device_count);

}  // namespace gpuscout
