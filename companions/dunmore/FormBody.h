#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dunmore {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// Reads a parameter block: UTF-16 strings, each NUL-terminated, taken in pairs (name, then value;
// a value may be empty) until a name is empty. nullopt for a null block or one that runs past sane
// bounds without its final empty name.
std::optional<FormFields> ParseParamBlock(const char16_t* block);

// application/x-www-form-urlencoded: name=value pairs joined by '&', space as '+', every byte other
// than letters, digits and "*-._" as %XX of its UTF-8 encoding.
std::string EncodeForm(const FormFields& fields);

}  // namespace dunmore
