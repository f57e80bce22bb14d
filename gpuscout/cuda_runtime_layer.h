// The runtime layer over the real CUDA runtime.
#pragma once

#include "runtime_layer.h"

namespace gpuscout {

RuntimeLayer& cuda_runtime_layer();

}  // namespace gpuscout
