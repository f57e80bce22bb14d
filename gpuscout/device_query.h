// Device queries behind cuda_devicecount, cuda_devicename, cuda_deviceprops and
// cuda_devicepropsbig.
#pragma once

#include <cstddef>
#include <cstdio>

#include "runtime_layer.h"

namespace gpuscout {

// The number of devices, or -1 when the count query fails.
int device_count(RuntimeLayer& runtime);

// Writes the device's name (or "" when its record cannot be read) into `buffer`.
void write_device_name(RuntimeLayer& runtime, int device, char* buffer, std::size_t size);

// Writes the device's summary line (or "") into `buffer`.
void write_device_summary(RuntimeLayer& runtime, int device, char* buffer, std::size_t size);

// Writes the full report of every device to `out`. A failed count query counts
// as no devices.
void write_full_report(RuntimeLayer& runtime, std::FILE* out);

}  // namespace gpuscout
