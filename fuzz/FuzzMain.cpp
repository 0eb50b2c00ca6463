// libFuzzer entry: the target is chosen at build time (CODEXIA_FUZZ_TARGET).
#include "Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::Target target = fuzz::ByName(CODEXIA_FUZZ_TARGET);
    target(data, size);
    return 0;
}
