#include "host/support/TempDir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace ks::test {

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
        ("ks-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir);
    FPath = dir.wstring();
}

TempDir::~TempDir()
{
    std::error_code ignored; // a leftover temporary folder is no reason to fail a test
    std::filesystem::remove_all(std::filesystem::path(FPath), ignored);
}

} // namespace ks::test
