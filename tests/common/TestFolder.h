#pragma once
// A folder of the test's own under the system's temporary folder, named after the process and
// the test. A parametrized test's name holds a slash ("Name/0"): it would make a folder within
// a folder, and removing the inner one would leave the outer behind after every run.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace kvaril::testing {

inline std::filesystem::path TestFolder(const std::string& prefix) {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return std::filesystem::temp_directory_path() /
           (prefix + "-" + std::to_string(::getpid()) + "-" + name);
}

}  // namespace kvaril::testing
