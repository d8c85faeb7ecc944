// Shared by the file tests: the scratch folder and raw-file helpers of tests/support, and two
// questions about a path that do not go through the classes under test.
#pragma once

#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace test {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

bool IsFolder(const std::wstring& path);
bool Exists(const std::wstring& path);

} // namespace test
