#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wavora::fuzz {

// Puts the input into a file of the process's own scratch folder and returns its path.
std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name = "input");
std::vector<std::uint8_t> ReadBack(const std::string& path);
// Stops the run when a rewrite that reported failure changed the file anyway.
void ExpectUnchanged(const std::string& path, const std::uint8_t* data, std::size_t size);

} // namespace wavora::fuzz
