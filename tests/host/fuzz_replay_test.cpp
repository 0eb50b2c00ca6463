// Every seed and every input the fuzzer ever found failing, run again
// through the readers of stored data with the host compiler: each must be
// read or refused, never crash (the fuzzer's own build adds the sanitizers).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/Targets.h"

namespace fs = std::filesystem;

TEST(FuzzReplay, EverySeedAndFindingIsReadOrRefused) {
    const fs::path fuzzDir = fs::path(CODEXIA_ROOT) / "fuzz";
    int replayed = 0;
    for (const char* name : {"layout", "picture", "region", "document"}) {
        fuzz::Target target = fuzz::ByName(name);
        ASSERT_NE(target, nullptr) << name;
        int seeds = 0;
        for (const char* kind : {"corpus", "crashes"}) {
            fs::path dir = fuzzDir / kind / name;
            if (!fs::is_directory(dir)) continue;
            for (auto& entry : fs::directory_iterator(dir)) {
                if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
                SCOPED_TRACE(entry.path().string());
                std::ifstream f(entry.path(), std::ios::binary);
                std::stringstream s;
                s << f.rdbuf();
                std::string bytes = s.str();
                target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
                if (std::string(kind) == "corpus") ++seeds;
                ++replayed;
            }
        }
        EXPECT_GT(seeds, 0) << "no seeds for " << name;
    }
    EXPECT_GT(replayed, 8);
}
