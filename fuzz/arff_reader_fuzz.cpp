// Feeds arbitrary bytes to the .arff reader (see named_reader_check.h for what must hold).
#include "named_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return checkNamedReader(kolven::parseArff, data, size);
}
